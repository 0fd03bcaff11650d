/* Compiled with -fexec-charset=BIG5: the traditional-Chinese names of the product table
   reach the program in code page 950. Columns: display, shortcut and uninstall name. */
#include "install/manifest.h"

extern const char *const kProductNamesBig5[kProductCount][3];

const char *const kProductNamesBig5[kProductCount][3] = {
    {"拓沃記事", "拓沃記事", "拓沃記事卸載"},
    {"拓沃中文輸入引擎", "拓沃中文輸入引擎", "拓沃中文輸入引擎卸載"},
    {"拓沃智能編輯器", "拓沃智能編輯器", "拓沃智能編輯器卸載"},
    {"拓沃數字鍵盤", "拓沃數字鍵盤", "卸載"},
};
