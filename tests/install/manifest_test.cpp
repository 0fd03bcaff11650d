#include <gtest/gtest.h>

#include <set>
#include <string.h>
#include <string>
#include <vector>

#include "install/manifest.h"

namespace {

std::vector<ManifestStep> Rows()
{
    std::vector<ManifestStep> rows;
    for (int i = 0; i < kManifestStepCount; ++i)
        if (IsManifestRow(kManifestSteps[i]))
            rows.push_back(kManifestSteps[i]);
    return rows;
}

// 1-based numbers of the rows that satisfy the predicate.
template <typename Predicate> std::vector<int> RowNumbers(Predicate predicate)
{
    std::vector<int> numbers;
    std::vector<ManifestStep> rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (predicate(rows[i]))
            numbers.push_back(int(i) + 1);
    return numbers;
}

TEST(Manifest, HasTheRowsAndKindsOfTheDesign)
{
    std::vector<ManifestStep> rows = Rows();
    ASSERT_EQ(124u, rows.size());
    EXPECT_EQ(25u, RowNumbers([](const ManifestStep &row) { return IsRequiredRow(row); }).size());
    EXPECT_EQ((std::vector<int>{21, 104, 105}),
              RowNumbers([](const ManifestStep &row) { return row.kind == kWordBaseRow; }));
    std::set<int> identifiers;
    for (const ManifestStep &row : rows)
        identifiers.insert(row.identifier);
    EXPECT_EQ(124u, identifiers.size()) << "an identifier stands twice";
}

TEST(Manifest, CheckpointsComeInOrderAfterTheirGroups)
{
    std::vector<int> positions;
    std::vector<int> rowsBefore;
    int rows = 0;
    for (int i = 0; i < kManifestStepCount; ++i) {
        if (IsManifestRow(kManifestSteps[i])) {
            ++rows;
        } else {
            positions.push_back(kManifestSteps[i].progress);
            rowsBefore.push_back(rows);
        }
    }
    EXPECT_EQ((std::vector<int>{10, 15, 20, 25, 30, 35, 45, 50, 55, 65, 70, 90}), positions);
    EXPECT_EQ((std::vector<int>{0, 3, 4, 11, 12, 20, 21, 102, 103, 103, 106, 124}), rowsBefore);
}

TEST(Manifest, NamedRowsCarryTheirNamesAndAttributes)
{
    struct Expected {
        int row;
        int identifier;
        const char *name;
        int readOnly, hidden, kind;
    };
    const Expected expected[] = {
        {1, 106, "pykeys.dic", 1, 1, kRequiredRow},
        {2, 131, "gbkflat.dic", 1, 1, kRequiredRow},
        {4, 111, nullptr, 0, 1, kRequiredRow},
        {7, 120, "cendraui.ini", 1, 1, kRequiredRow},
        {8, 122, "cendraui_en.ini", 1, 1, kOptionalRow},
        {12, 110, "ChnBmp.bin", 1, 1, kRequiredRow},
        {21, 127, "CiZuFlat.igb", 0, 0, kWordBaseRow},
        {39, 255, nullptr, 1, 0, kOptionalRow},
        {76, 171, "TVREditUnInstall.exe", 1, 0, kOptionalRow},
        {77, 164, nullptr, 1, 0, kOptionalRow},
        {78, 163, nullptr, 1, 0, kOptionalRow},
        {103, 139, nullptr, 1, 0, kRequiredRow},
        {104, 128, "pycizudic.idx", 0, 0, kWordBaseRow},
        {105, 129, "py2_3ZiCi1stZuMu.idx", 0, 0, kWordBaseRow},
        {106, 109, "Vardel.exe", 1, 0, kRequiredRow},
        {107, 1021, "TVREdit.exe", 1, 0, kOptionalRow},
        {110, 187, nullptr, 0, 0, kOptionalRow},
        {115, 1032, "DeVud.exe", 1, 1, kOptionalRow},
        {124, 274, nullptr, 1, 1, kOptionalRow},
    };
    std::vector<ManifestStep> rows = Rows();
    for (const Expected &e : expected) {
        SCOPED_TRACE("row " + std::to_string(e.row));
        const ManifestStep &row = rows[e.row - 1];
        EXPECT_EQ(e.identifier, row.identifier);
        if (e.name) {
            EXPECT_STREQ(e.name, row.fileName);
        }
        EXPECT_EQ(e.readOnly, row.readOnly);
        EXPECT_EQ(e.hidden, row.hidden);
        EXPECT_EQ(e.kind, row.kind);
    }
}

TEST(Manifest, FileNamesAreBareAndFitThePathBuffer)
{
    std::set<std::string> names;
    size_t longest = 0;
    for (const ManifestStep &row : Rows()) {
        EXPECT_EQ(nullptr, strpbrk(row.fileName, "\\/:")) << row.fileName;
        names.insert(row.fileName);
        longest = std::max(longest, strlen(row.fileName));
    }
    EXPECT_EQ(124u, names.size());
    EXPECT_EQ(33u, longest);
}

TEST(ProductTable, ColumnFollowsTheSystemChineseVariant)
{
    EXPECT_STREQ("Tovra Smart Editor", ProductName(kProductSmartEditor, kDisplayName, 0));
    EXPECT_STREQ("拓沃智能编辑器", ProductName(kProductSmartEditor, kDisplayName, 1));
    // Big5 bytes of 拓沃智能編輯器, as iconv makes them.
    const char big5[] = "\xa9\xdd\xa8\x55\xb4\xbc\xaf\xe0\xbd\x73\xbf\xe8\xbe\xb9";
    EXPECT_STREQ(big5, ProductName(kProductSmartEditor, kDisplayName, 2));
    EXPECT_STREQ(big5, ProductName(kProductSmartEditor, kDisplayName, 3));
    EXPECT_STREQ(big5, ProductName(kProductSmartEditor, kShortcutName, 7));
}

TEST(ProductTable, RowsCarryTheirNamesAndFiles)
{
    EXPECT_STREQ("Vardel Notes", ProductName(kProductNotes, kShortcutName, 0));
    EXPECT_STREQ("Vardel UnInstall", ProductName(kProductNotes, kUninstallName, 0));
    EXPECT_STREQ("Vardel.exe", ProductName(kProductNotes, kExecutableFile, 2));
    EXPECT_STREQ("TVRUnInstall.exe", ProductName(kProductInputEngine, kUninstallerFile, 0));
    EXPECT_STREQ("Tovra Smart Editor UnInstall", ProductName(kProductSmartEditor, kUninstallName, 0));
    EXPECT_STREQ("TVREdit.exe", ProductName(kProductSmartEditor, kExecutableFile, 1));
    EXPECT_STREQ("UnInstall", ProductName(kProductKeypad, kUninstallName, 0));
    EXPECT_STREQ("卸载", ProductName(kProductKeypad, kUninstallName, 1));
    EXPECT_STREQ("\xa8\xf8\xb8\xfc", ProductName(kProductKeypad, kUninstallName, 2)); // 卸載
}

TEST(ProductTable, ChineseNamesAreBrandWordThenProductWords)
{
    const char *brand = ProductName(kProductNotes, kDisplayName, 1);
    const char *brandBig5 = ProductName(kProductNotes, kDisplayName, 2);
    for (int row = 0; row < kProductCount; ++row) {
        for (int field = kDisplayName; field <= kShortcutName; ++field) {
            EXPECT_EQ(0, strncmp(brand, ProductName(row, field, 1), 4)) << row;
            EXPECT_EQ(0, strncmp(brandBig5, ProductName(row, field, 2), 4)) << row;
        }
        const char *gbk = ProductName(row, kUninstallName, 1);
        const char *big5 = ProductName(row, kUninstallName, 2);
        EXPECT_STREQ("卸载", gbk + strlen(gbk) - 4) << row;
        EXPECT_STREQ("\xa8\xf8\xb8\xfc", big5 + strlen(big5) - 4) << row;
    }
    EXPECT_EQ(nullptr, ProductName(4, kDisplayName, 0));
}

} // namespace
