// The program as a product team releases it: signed (tools/sign-product; the
// product_signing test signs this tree's program with a throwaway certificate). The
// signed copy must be this very program with a signature, and it must still install.
#include "driver_options.h"
#include "scenario.h"
#include "support/file_reading.h"
#include "test_folder.h"

#ifndef SIGNED_SETUP
#define SIGNED_SETUP ""
#endif

namespace {

// What signing may change in the program's own bytes: the PE checksum and the entry of
// the certificate table, both zeroed here; the signature itself goes after them.
std::string WithoutSignatureFields(std::string program)
{
    if (program.size() < 0x40)
        return program;
    size_t pe = *reinterpret_cast<const DWORD *>(&program[0x3C]);
    size_t optional = pe + 4 + sizeof(IMAGE_FILE_HEADER);
    if (optional + 0x80 + IMAGE_DIRECTORY_ENTRY_SECURITY * 8 + 8 > program.size())
        return program;
    bool pe32 = *reinterpret_cast<const WORD *>(&program[optional]) == IMAGE_NT_OPTIONAL_HDR32_MAGIC;
    size_t checksum = optional + 64;
    size_t security = optional + (pe32 ? 96 : 112) + IMAGE_DIRECTORY_ENTRY_SECURITY * 8;
    program.replace(checksum, 4, 4, '\0');
    program.replace(security, 8, 8, '\0');
    return program;
}

class SignedProgramScenario : public SetupScenario {};

TEST_F(SignedProgramScenario, TheSignedCopyIsThisProgramAndStillInstalls)
{
    const std::string program = ReadWholeFile(gOptions.setupProgram);
    std::string copy = ReadWholeFile(SIGNED_SETUP);
    ASSERT_NE("<missing>", copy) << SIGNED_SETUP << " is missing: the product_signing test makes it";
    ASSERT_GT(copy.size(), program.size()) << "the copy carries no signature";
    copy.resize(program.size());
    ASSERT_TRUE(WithoutSignatureFields(copy) == WithoutSignatureFields(program))
        << SIGNED_SETUP << " is not a signed copy of " << gOptions.setupProgram << " (signed before the last build?)";

    const std::string folder = Folder("signed", false);
    ASSERT_TRUE(StartSetupFrom(&setup_, SIGNED_SETUP, nullptr)) << "the signed copy did not open its wizard";
    ASSERT_TRUE(WaitForPage(setup_, 0));
    StartInstallInto(folder);
    FinishSuccessfulInstall(IDCANCEL);
    ExpectExitCode(0);
    ExpectInstalled(folder, '0', 0, true);
}

} // namespace
