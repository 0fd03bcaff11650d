// The system's Chinese variant: from a code page and a language given, and as start-up
// detects it under the locale Wine takes from LANG. CTest runs this executable once per
// locale of the table below.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "wizard/startup.h"
#include "wizard/wizard_state.h"

namespace {

struct LocaleVariant {
    const char *locale;
    int variant;
};

const LocaleVariant kLocaleVariants[] = {
    {"zh_CN", 1}, {"zh_TW", 2}, {"zh_HK", 2}, {"zh_SG", 1}, {"ja_JP", 0}, {"ko_KR", 0}, {"en_US", 0},
};

// The code page decides; the language only has to be Chinese. Wine 8 keeps the locale's
// code page when told to use 65001, so that case is given here.
TEST(SystemChineseVariant, ComesFromTheCodePageOfAChineseLanguage)
{
    struct Case {
        UINT codePage;
        LANGID language;
        int variant;
    };
    const Case cases[] = {
        {936, 0x0804, 1},   {936, 0x1004, 1},   {950, 0x0404, 2},   {950, 0x0C04, 2},  {950, 0x1404, 2},
        {936, 0x0404, 1},   {950, 0x0804, 2},   {65001, 0x0804, 0}, {65001, 0x0404, 0}, {1252, 0x0804, 0},
        {54936, 0x0804, 0}, {949, 0x0804, 0},   {932, 0x0411, 0},   {936, 0x0411, 0},  {949, 0x0412, 0},
        {1252, 0x0409, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.variant, ChineseVariantOf(c.codePage, c.language))
            << "code page " << c.codePage << ", language 0x" << std::hex << c.language;
}

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

TEST(SystemChineseVariant, FollowsTheLocaleOfTheSystem)
{
    if (!RunningUnderWine())
        GTEST_SKIP() << "the system's locale is chosen through Wine's LANG";
    const char *lang = getenv("LANG");
    ASSERT_NE(nullptr, lang);
    const LocaleVariant *row = nullptr;
    for (const LocaleVariant &candidate : kLocaleVariants)
        if (strncmp(lang, candidate.locale, strlen(candidate.locale)) == 0)
            row = &candidate;
    ASSERT_NE(nullptr, row) << "no expected variant for LANG=" << lang;

    // The locale took effect: every locale but en_US has a double-byte code page.
    CPINFO codePage;
    ASSERT_TRUE(GetCPInfo(CP_ACP, &codePage));
    EXPECT_EQ(strcmp(row->locale, "en_US") != 0, codePage.MaxCharSize > 1) << lang;

    gSystemChineseVariant = -1;
    DetectSystemChineseVariant();
    EXPECT_EQ(row->variant, gSystemChineseVariant) << lang;
}

} // namespace
