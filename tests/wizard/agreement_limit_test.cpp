// Agreement texts at the size limit (agreement_limit_test.rc): the Chinese text has 65,535
// bytes, the most its buffer takes with the terminator; the English text has 65,536, one
// byte too many, and must be refused rather than terminated outside the buffer.
#include "wizard_fixture.h"

namespace {

typedef WizardTest AgreementLimitTest;

TEST_F(AgreementLimitTest, ATextThatLeavesNoRoomForItsTerminatorIsRefused)
{
    GoToPage(2);
    EXPECT_EQ(0, gAgreementTextFlag);
    EXPECT_EQ(0, GetWindowTextLengthA(Item(IDC_AGREEMENT_ENGLISH)));
    // The page shows without an agreement and the buttons still work.
    EXPECT_TRUE(Visible(IDC_SHOW_ENGLISH));
    EXPECT_FALSE(Visible(IDC_AGREEMENT_ENGLISH));
    EXPECT_FALSE(Visible(IDC_AGREEMENT_CHINESE));
    EXPECT_TRUE(Visible(IDC_BACK));

    // The Chinese text of 65,535 bytes fits: its first 500 lines are listed.
    ASSERT_EQ(500, ListCount());
    EXPECT_EQ(std::string(126, 'a'), ListLine(0));

    // Each visit tries again, and lists the Chinese lines afresh rather than twice.
    Command(IDC_BACK);
    Command(IDC_NEXT);
    EXPECT_EQ(2, gPageNumber);
    EXPECT_EQ(0, gAgreementTextFlag);
    EXPECT_EQ(500, ListCount());
    GoToPage(3);
    Command(IDC_BACK);
    EXPECT_EQ(500, ListCount());
}

} // namespace
