// A copy of the program damaged on its way to the user: a few bytes of one payload stream
// flipped. It says so before it shows any page, and does nothing else.
#include "driver_options.h"
#include "gb2312_text.h"
#include "scenario.h"
#include "support/file_reading.h"
#include "test_folder.h"

#ifndef PAYLOAD_STREAMS
#define PAYLOAD_STREAMS ""
#endif

namespace {

class DamagedSetupScenario : public SetupScenario {};

TEST_F(DamagedSetupScenario, ADamagedPayloadStreamIsToldAtStartUpAndNothingElseHappens)
{
    // The editor's own stream, found in the program by its bytes.
    const std::string stream = ReadWholeFile(std::string(PAYLOAD_STREAMS) + "/1021.z");
    std::string program = ReadWholeFile(gOptions.setupProgram);
    ASSERT_GT(stream.size(), 1000u);
    size_t at = program.find(stream);
    ASSERT_NE(std::string::npos, at) << "the editor's stream is not in " << gOptions.setupProgram;
    for (size_t k = 0; k < 4; ++k)
        program[at + stream.size() / 2 + 97 * k] ^= 0x5A;
    const std::string folder = Folder("damaged", true);
    const std::string copy = folder + "\\TovraSetup.exe";
    ASSERT_TRUE(WriteWholeFile(copy, program));

    ASSERT_TRUE(LaunchProgram(&setup_, copy, folder.c_str()));
    ShownMessage damaged = NextMessage(90000);
    ASSERT_TRUE(damaged.dialog);
    EXPECT_FALSE(WizardShown(setup_)) << "a page is shown";
    ExpectMessage(damaged, kDamagedChinese, kDamagedEnglish, {IDOK});
    EXPECT_TRUE(AllInGb2312(damaged.chinese));
    Picture(&setup_, "message-damaged-setup");
    ASSERT_TRUE(ClickAnswer(damaged, IDOK));
    ExpectExitCode(1);

    EXPECT_EQ(std::vector<std::string>{"TovraSetup.exe"}, NamesIn(folder));
    EXPECT_TRUE(SpeechPackageFolders().empty());
    ExpectNoShortcuts(column_);
    ExpectNoRegistration();
}

} // namespace
