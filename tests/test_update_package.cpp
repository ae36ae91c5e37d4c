// The update package unpacked from real ZIP archives, the removal of the temporary
// files, and the texts of the download and upload failures.
#include <gtest/gtest.h>

#include <cstdlib>

#include <fstream>
#include <random>

#include <unistd.h>

#include "Global.h"
#include "UpdateFixture.h"
#include "ZipMaker.h"
#include "cp1252.h"

namespace fs = std::filesystem;

namespace {

// The text of the EUpdateError that f throws, "" when it throws none.
template <typename F>
std::string FailureOf(F&& f) {
    try {
        f();
    } catch (const EUpdateError& e) {
        EXPECT_EQ(e.Caption(), "Erreur");
        return e.what();
    }
    return {};
}

TEST(UpdatePackage, EntriesLandFlatInTheTemporaryFolderAndGoWithTheCleanUp) {
    UpdateFixture f;
    const TUpdatePaths& p = f.Paths();
    fs::create_directories(f.Root() / "outside");
    WriteFileBytes((f.Root() / "outside" / "victim").string(), "keep");
    // A link planted in the shared temporary folder under an entry's name.
    fs::create_symlink(f.Root() / "outside" / "victim", p.TempFolder + "evil.txt");
    const std::vector<TZipEntry> entries = {{"sub/dir/lex27010.txt", "update"},
                                            {"../../evil.txt", "payload"},
                                            {"docs\\LEXODEL.TXT", "delete"},
                                            {"folder/", ""},
                                            {"a/..", "dots"},
                                            {"bad\x01name", "control"},
                                            {"readme.txt", "first"},
                                            {"x/readme.txt", "second"}};
    // The download itself is stored the same way: a link under the package's name is
    // replaced.
    MakeZip((f.Root() / "package").string(), entries);
    fs::create_symlink(f.Root() / "outside" / "victim", p.ZipPath);
    SavePackage(p, ReadFileBytes((f.Root() / "package").string()));
    EXPECT_FALSE(fs::is_symlink(p.ZipPath));
    EXPECT_EQ(ExtractPackage(p), (std::vector<std::string>{"LEX27010.TXT", "evil.txt", "LEXODEL.TXT", "readme.txt"}));
    EXPECT_EQ(UpdateFixture::Names(p.TempFolder),
              (std::vector<std::string>{"LEX27010.TXT", "LEX27010.ZIP", "LEXODEL.TXT", "evil.txt", "readme.txt"}));
    EXPECT_EQ(ReadFileBytes(p.UpdateTextPath), "update");
    EXPECT_EQ(ReadFileBytes(p.DeleteListPath), "delete");
    EXPECT_EQ(ReadFileBytes(p.TempFolder + "readme.txt"), "second");
    EXPECT_FALSE(fs::is_symlink(p.TempFolder + "evil.txt"));
    EXPECT_EQ(ReadFileBytes(p.TempFolder + "evil.txt"), "payload");
    EXPECT_EQ(ReadFileBytes((f.Root() / "outside" / "victim").string()), "keep");

    // The clean-up, run from the dictionary's folder, where a copy of the package lies.
    WriteFileBytes((f.Root() / p.ZipName).string(), "zip");
    const fs::path cwd = fs::current_path();
    fs::current_path(f.Root());
    DeleteTemporaryFiles(p);
    fs::current_path(cwd);
    EXPECT_EQ(UpdateFixture::Names(p.TempFolder), (std::vector<std::string>{"evil.txt", "readme.txt"}));
    EXPECT_FALSE(fs::exists(f.Root() / p.ZipName));

    // In the run's own folder, as the updater has it, the clean-up takes everything the
    // package held, and the folder with it.
    const ScopedEnv tmpdir("TMPDIR", p.TempFolder);
    TUpdatePaths own = MakeUpdatePaths(p.UpdateVersion, GetTempFolder(), (f.Root() / "docs").string());
    SavePackage(own, ReadFileBytes((f.Root() / "package").string()));
    EXPECT_EQ(ExtractPackage(own).size(), 4u);
    DeleteTemporaryFiles(own);
    EXPECT_FALSE(fs::exists(own.TempFolder));
    EXPECT_EQ(UpdateFixture::Names(p.TempFolder), (std::vector<std::string>{"evil.txt", "readme.txt"}));
}

TEST(UpdatePackage, BadPackagesEndTheUpdateWithAMessageAndLeaveNothing) {
    UpdateFixture f;
    const TUpdatePaths& p = f.Paths();
    const std::string noUpdate = A("\r\nLa mise à jour n'est pas possible.");
    EXPECT_EQ(FailureOf([&] { ExtractPackage(p); }),
              A("Le fichier LEX27010.ZIP n'a pu être trouvé dans\r\n") + p.TempFolder);

    const std::string unusable = A("L'archive LEX27010.ZIP est illisible, endommagée ou incomplète.") + noUpdate;
    WriteFileBytes(p.ZipPath, "PK\x03\x04 not an archive");
    EXPECT_EQ(FailureOf([&] { ExtractPackage(p); }), unusable);

    // A delete list left by an earlier run must not count as this package's.
    std::mt19937 rng(1);
    std::string text;
    for (int i = 0; i < 20000; ++i) text += std::to_string(rng()) + "\r\n";
    MakeZip(p.ZipPath, {{"LEXODEL.TXT", "del"}, {"LEX27010.TXT", text}});
    const std::string whole = ReadFileBytes(p.ZipPath);
    WriteFileBytes(p.DeleteListPath, "stale");
    WriteFileBytes(p.ZipPath, whole.substr(0, whole.size() / 2));  // a download cut short
    EXPECT_EQ(FailureOf([&] { ExtractPackage(p); }), unusable);
    EXPECT_EQ(UpdateFixture::Names(p.TempFolder), (std::vector<std::string>{"LEX27010.ZIP"}));

    // Damaged data in the second entry: the first, already written, goes again.
    std::string damaged = whole;
    for (std::size_t i = damaged.size() / 2; i < damaged.size() / 2 + 64; ++i)
        damaged[i] = static_cast<char>(~damaged[i]);
    WriteFileBytes(p.ZipPath, damaged);
    EXPECT_EQ(FailureOf([&] { ExtractPackage(p); }), unusable);
    EXPECT_EQ(UpdateFixture::Names(p.TempFolder), (std::vector<std::string>{"LEX27010.ZIP"}));

    // More unpacked bytes than allowed, counted over all the entries.
    WriteFileBytes(p.ZipPath, whole);
    const std::string tooLarge = A("L'archive LEX27010.ZIP est trop volumineuse une fois décompressée (plus de ");
    EXPECT_EQ(FailureOf([&] { ExtractPackage(p, static_cast<int64_t>(text.size())); }).substr(0, tooLarge.size()),
              tooLarge);
    EXPECT_EQ(UpdateFixture::Names(p.TempFolder), (std::vector<std::string>{"LEX27010.ZIP"}));
    EXPECT_EQ(ExtractPackage(p, static_cast<int64_t>(text.size()) + 3).size(), 2u);

    // A NUL inside a stored name can never cut the name short (the library shows it as
    // a blank).
    MakeZip(p.ZipPath, {{"LEXODEL_TXT", "nul"}});
    std::string nul = ReadFileBytes(p.ZipPath);
    for (std::size_t at = nul.find("LEXODEL_TXT"); at != std::string::npos; at = nul.find("LEXODEL_TXT", at + 1))
        nul[at + 7] = '\0';
    WriteFileBytes(p.ZipPath, nul);
    FailureOf([&] { ExtractPackage(p); });
    EXPECT_FALSE(fs::exists(p.TempFolder + "LEXODEL"));
    EXPECT_FALSE(fs::exists(p.DeleteListPath));
}

TEST(UpdatePackage, FailureTextsOfTheUpload) {
    EXPECT_EQ(UploadReplyError(10061, 404, "Not Found", 0, 12), "10061 : Connection refused");
    EXPECT_EQ(UploadReplyError(0, 500, "Internal Server Error", 0, 12), "Internal Server Error : 500");
    EXPECT_EQ(UploadReplyError(0, 200, "OK", 0, 12), A("Erreur lors de l'écriture sur le serveur : E 12 - R 0"));
    EXPECT_EQ(UploadReplyError(0, 200, "OK", 12, 12), "");
    EXPECT_EQ(UploadReplyError(0, 0, "", 12, 12), "");
}

}  // namespace
