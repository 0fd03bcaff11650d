#include <stddef.h>

#include "install/manifest.h"

/* The Big5 columns live in a file of their own, compiled for code page 950. */
extern const char *const kProductNamesBig5[kProductCount][3];

struct ProductRecord {
    const char *names[3][2];      /* [field][English, GBK] */
    const char *executableFile;
    const char *uninstallerFile;
};

static const ProductRecord kProductTable[kProductCount] = {
    {{{"Vardel Notes", "拓沃记事"},
      {"Vardel Notes", "拓沃记事"},
      {"Vardel UnInstall", "拓沃记事卸载"}},
     "Vardel.exe", "VdUnInstall.exe"},
    {{{"Tovra Chinese Input Engine", "拓沃中文输入引擎"},
      {"Tovra Chinese Input Engine", "拓沃中文输入引擎"},
      {"Tovra UnInstall", "拓沃中文输入引擎卸载"}},
     "TVR.exe", "TVRUnInstall.exe"},
    {{{"Tovra Smart Editor", "拓沃智能编辑器"},
      {"Tovra Smart Editor", "拓沃智能编辑器"},
      {"Tovra Smart Editor UnInstall", "拓沃智能编辑器卸载"}},
     "TVREdit.exe", "TVREditUnInstall.exe"},
    {{{"Vardel-Quarn", "拓沃数字键盘"},
      {"Vardel-Quarn", "拓沃数字键盘"},
      {"UnInstall", "卸载"}},
     "QN.exe", "QNUnInstall.exe"},
};

const char *ProductName(int row, int field, int variant)
{
    if (row < 0 || row >= kProductCount)
        return nullptr;
    const ProductRecord &record = kProductTable[row];
    switch (field) {
    case kExecutableFile:
        return record.executableFile;
    case kUninstallerFile:
        return record.uninstallerFile;
    case kDisplayName:
    case kShortcutName:
    case kUninstallName:
        if (variant <= 0)
            return record.names[field][0];
        if (variant == 1)
            return record.names[field][1];
        return kProductNamesBig5[row][field];
    }
    return nullptr;
}
