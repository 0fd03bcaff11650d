/* Traditional-Chinese sample text, compiled for code page 950. */
extern const char kBig5Sample[];
const char kBig5Sample[] = "拓沃智能編輯器，繁體中文";
