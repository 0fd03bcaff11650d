// The system's Chinese variant as start-up detects it, under the locale Wine takes from
// LANG. CTest runs this executable once per locale of the table below.
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
