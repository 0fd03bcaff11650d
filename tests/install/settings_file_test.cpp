#include <gtest/gtest.h>

#include <string.h>
#include <string>
#include <vector>

#include "install/payload.h"
#include "install/settings_file.h"
#include "support/caller_line.h"
#include "support/file_reading.h"
#include "test_folder.h"
#include "wizard/wizard_state.h"

namespace {

const int kShippedTemplate = 120; // the settings file of the product data, as payload

// The fixture's helpers report a failure at the test's line as well as their own.
#define Update(...) Update_(__FILE__, __LINE__, __VA_ARGS__)
#define ExtractShippedTemplate() ExtractShippedTemplate_(__FILE__, __LINE__)

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(MakeTestFolder(folder_, "settings"));
        strcpy(gInstallFolder, folder_.c_str());
        path_ = folder_ + "\\cendraui.ini";
    }
    void TearDown() override { RemoveTestFolder(folder_); }

    void Update_(const char *file, int line, unsigned displayOk, int language)
    {
        CallerLine caller(file, line);
        gDisplayOkAnswer = displayOk;
        gForcedLanguage = language;
        EXPECT_EQ(1, UpdateSettingsFile());
    }
    std::string Content() const { return ReadWholeFile(path_); }
    std::string Key(const char *key) const
    {
        char value[64];
        GetPrivateProfileStringA("Config", key, "<none>", value, sizeof value, path_.c_str());
        return value;
    }
    void ExtractShippedTemplate_(const char *file, int line)
    {
        CallerLine caller(file, line);
        std::vector<char> buffer(65536);
        ASSERT_EQ(1, ExtractPayload(kShippedTemplate, "cendraui.ini", buffer.data(), buffer.size(), 1, 1, nullptr));
    }

    std::string folder_, path_;
};

bool EndsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(SettingsFileTest, ShippedTemplateGetsItsValueInPlaceAndTheLanguageAppended)
{
    ExtractShippedTemplate();
    std::string shipped = Content();
    ASSERT_TRUE(EndsWith(shipped, "[Config]\r\nUseBmpFont=0\r\n\r\n")) << "unexpected sample template";

    Update(1, 2);
    std::string updated = Content();
    EXPECT_EQ(shipped + "\r\nForceLanguage=2\r\n", updated);
    EXPECT_TRUE(EndsWith(updated, "[Config]\r\nUseBmpFont=0\r\n\r\n\r\nForceLanguage=2\r\n"));
    EXPECT_EQ(kReadOnlyHidden, GetFileAttributesA(path_.c_str()) & kReadOnlyHidden);
    EXPECT_EQ("0", Key("UseBmpFont"));
    EXPECT_EQ("2", Key("ForceLanguage"));
}

TEST_F(SettingsFileTest, AWrongDisplayAnswerAsksForBitmapFonts)
{
    ExtractShippedTemplate();
    Update(0, 0);
    EXPECT_TRUE(EndsWith(Content(), "[Config]\r\nUseBmpFont=1\r\n\r\n\r\nForceLanguage=0\r\n"));
    EXPECT_EQ("1", Key("UseBmpFont"));
}

TEST_F(SettingsFileTest, ASecondUpdateOverwritesBothKeysAndAppendsNothing)
{
    ExtractShippedTemplate();
    Update(0, 1);
    std::string first = Content();
    Update(1, 2);
    std::string second = Content();
    ASSERT_EQ(first.size(), second.size());
    EXPECT_TRUE(EndsWith(second, "UseBmpFont=0\r\n\r\n\r\nForceLanguage=2\r\n"));
    EXPECT_EQ(first.substr(0, first.size() - 40), second.substr(0, second.size() - 40));
}

TEST_F(SettingsFileTest, AppendsWhatIsMissingAtTheEnd)
{
    ASSERT_TRUE(WriteWholeFile(path_, ""));
    Update(1, 1);
    EXPECT_EQ("\r\n\r\n[Config]\r\n\r\n\r\nUseBmpFont=0\r\n\r\nForceLanguage=1\r\n", Content());
    EXPECT_EQ("1", Key("ForceLanguage"));

    ASSERT_TRUE(SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(WriteWholeFile(path_, "[UI_STR]\r\nTitle=Tovra\r\n"));
    Update(0, 2);
    EXPECT_EQ("[UI_STR]\r\nTitle=Tovra\r\n\r\n\r\n[Config]\r\n\r\n\r\nUseBmpFont=1\r\n\r\nForceLanguage=2\r\n", Content());
}

TEST_F(SettingsFileTest, KeysBeforeTheSectionKeepTheTextAfterThem)
{
    ASSERT_TRUE(WriteWholeFile(path_, "UseBmpFont=0\r\nForceLanguage=0\r\n[UI_STR]\r\nTitle=Tovra\r\n"));
    Update(0, 2);
    EXPECT_EQ("UseBmpFont=1\r\nForceLanguage=2\r\n[UI_STR]\r\nTitle=Tovra\r\n\r\n\r\n[Config]\r\n\r\n", Content());
}

TEST_F(SettingsFileTest, BareLineFeedsAndCtrlZDoNotMisplaceTheOverwrite)
{
    ASSERT_TRUE(WriteWholeFile(path_, "[UI_STR]\nA=\x1a\n[Config]\nUseBmpFont=0\nForceLanguage=0\n"));
    Update(0, 1);
    EXPECT_EQ("[UI_STR]\nA=\x1a\n[Config]\nUseBmpFont=1\nForceLanguage=1\n", Content());
}

TEST_F(SettingsFileTest, AFileThatCannotBeOpenedIsNotCreated)
{
    Update(1, 2);
    EXPECT_FALSE(FileExists(path_));

    ASSERT_TRUE(CreateDirectoryA(path_.c_str(), nullptr)); // a folder in its place
    Update(1, 2);
    EXPECT_NE(0u, GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace
