// The menu entry and the AppStream file, as the distribution tools judge them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "child_process.h"
#include "tone_test_support.h"

namespace {

using quenbrix_test::ChildProcess;
using quenbrix_test::ChildResult;
using quenbrix_test::ScratchDirectory;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file) << text;
}

std::string Without(std::string text, const std::string& part) {
    const auto at = text.find(part);
    EXPECT_NE(at, std::string::npos) << part;
    if (at != std::string::npos) {
        text.erase(at, part.size());
    }
    return text;
}

ChildResult ValidateDesktop(const fs::path& file) {
    return ChildProcess::Run(QUENBRIX_DESKTOP_FILE_VALIDATE, {file});
}

ChildResult ValidateMetainfo(const fs::path& file) {
    return ChildProcess::Run(QUENBRIX_APPSTREAMCLI, {"validate", "--no-net", file});
}

TEST(DesktopEntry, PassesTheValidatorWhichRefusesABrokenCopy) {
    const std::string entry = ReadText(QUENBRIX_DESKTOP_FILE);
    EXPECT_NE(entry.find("\nName=Quenbrix\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nComment=Crée et fait entendre des fichiers Wav"), std::string::npos);
    EXPECT_NE(entry.find("\nCategories=AudioVideo;Audio;\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=quenbrix\n"), std::string::npos);

    const ChildResult valid = ValidateDesktop(QUENBRIX_DESKTOP_FILE);
    EXPECT_EQ(valid.exitStatus, 0) << valid.out << valid.err;
    EXPECT_EQ(valid.out + valid.err, "");

    ScratchDirectory scratch;
    WriteText(scratch / "quenbrix.desktop", Without(entry, "Type=Application\n"));
    const ChildResult broken = ValidateDesktop(scratch / "quenbrix.desktop");
    EXPECT_NE(broken.exitStatus, 0);
    EXPECT_NE(broken.out.find("Type"), std::string::npos) << broken.out;
}

TEST(AppStreamMetainfo, CarriesTheVersionAndPassesTheValidator) {
    const std::string metainfo = ReadText(QUENBRIX_METAINFO_FILE);
    EXPECT_NE(metainfo.find("<release version=\"1.00\""), std::string::npos) << metainfo;
    EXPECT_NE(metainfo.find("<name>Quenbrix</name>"), std::string::npos);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">quenbrix.desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(metainfo.find("<screenshot type=\"default\">"), std::string::npos);

    const ChildResult valid = ValidateMetainfo(QUENBRIX_METAINFO_FILE);
    EXPECT_EQ(valid.exitStatus, 0) << valid.out << valid.err;
    EXPECT_NE(valid.out.find("Validation was successful"), std::string::npos) << valid.out;

    ScratchDirectory scratch;
    WriteText(scratch / "quenbrix.metainfo.xml", Without(metainfo,
                                                         "<metadata_license>CC0-1.0"
                                                         "</metadata_license>"));
    const ChildResult broken = ValidateMetainfo(scratch / "quenbrix.metainfo.xml");
    EXPECT_NE(broken.exitStatus, 0) << broken.out;
}

}  // namespace
