// Temporary folder, socket error texts and the letter-draw arithmetic.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "FactorialBig.h"
#include "Global.h"
#include "TestSupport.h"
#include "cp1252.h"

namespace {

namespace fs = std::filesystem;

// The text of the E that f throws; empty when it throws nothing or something else.
template <class E, class F>
std::string ThrownText(F f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    } catch (...) {
    }
    return {};
}

// A run folder of this process under `shared` ("/tmp/"...): private, and named for it.
void ExpectRunFolderIn(const std::string& folder, const std::string& shared) {
    const std::string prefix = shared + "lexorama-" + std::to_string(::getpid()) + "-";
    EXPECT_EQ(folder.compare(0, prefix.size(), prefix), 0) << folder;
    EXPECT_EQ(folder.size(), prefix.size() + 7) << folder;
    EXPECT_EQ(folder.back(), '/');
    struct stat st {};
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0) << folder;
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST(GetTempFolder, FallsBackToTmp) {
    const ScopedEnv g("TMPDIR");
    for (const char* tmpdir : {static_cast<const char*>(nullptr), "", "/no/such/folder/anywhere", "/etc/hostname"}) {
        SCOPED_TRACE(tmpdir == nullptr ? "unset" : tmpdir);
        g.Set(tmpdir == nullptr ? std::nullopt : std::optional<std::string>(tmpdir));
        EXPECT_EQ(SystemTempFolder(), "/tmp/");
        ExpectRunFolderIn(GetTempFolder(), "/tmp/");
    }
    RemoveTempFolder();
}

// The run's own folder: made once under $TMPDIR, the same at every call, a new one once
// it has gone; removed whole, links inside removed and never followed. Folders of runs
// that were killed go when a run makes its own; other folders of the shared one stay.
TEST(GetTempFolder, OneFolderOfThisRunAloneRemovedWhole) {
    const TempDir shared("lexo-tmp");
    const fs::path& dir = shared.Path();
    const ScopedEnv g("TMPDIR");
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const fs::path abandoned = dir / ("lexorama-" + std::to_string(gone) + "-abcdef");
    const fs::path running = dir / ("lexorama-" + std::to_string(::getppid()) + "-abcdef");
    const fs::path other = dir / ("lexorama-" + std::to_string(gone) + "-kept");  // no run folder's name
    for (const fs::path& p : {abandoned, running, other}) {
        fs::create_directories(p);
        fs::permissions(p, fs::perms::owner_all, fs::perm_options::replace);
        std::ofstream(p / "LEX26130.TXT") << "x";
    }
    g.Set(dir.string());
    const std::string folder = GetTempFolder();
    ExpectRunFolderIn(folder, dir.string() + "/");
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(running / "LEX26130.TXT"));
    EXPECT_TRUE(fs::exists(other / "LEX26130.TXT"));
    g.Set(dir.string() + "/");
    EXPECT_EQ(GetTempFolder(), folder);

    // Callers append a file name and use the file; a link in it is removed with it, its
    // target stays.
    std::ofstream(folder + "INFOS.HTM") << "x";
    std::ofstream(dir / "victim") << "keep";
    fs::create_symlink(dir / "victim", folder + "TAVOK.HTM");
    fs::create_directories(folder + "sub");
    RemoveTempFolder();
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(ReadFileBytes(dir / "victim"), "keep");
    const std::string again = GetTempFolder();
    ExpectRunFolderIn(again, dir.string() + "/");
    fs::remove_all(again);
    const std::string third = GetTempFolder();
    ExpectRunFolderIn(third, dir.string() + "/");
    EXPECT_NE(third, again);
    RemoveTempFolder();
}

TEST(GetTempFolder, RefusesAFolderNameTooLongForThePathBuffer) {
    const TempDir base("lexo-long");
    const ScopedEnv g("TMPDIR");
    // The run folder's name, "lexorama-PID-XXXXXX/", goes after the shared one's: build
    // shared folders that make it exactly 259, then 260 with its closing separator.
    const std::size_t own = ("lexorama-" + std::to_string(::getpid()) + "-XXXXXX/").size();
    fs::path dir = base.Path();
    while (dir.string().size() < 180) dir /= std::string(40, 'd');
    const size_t room = 259 - own - 1 - dir.string().size();  // dir + "/" + name + "/" + own
    const fs::path ok = dir / std::string(room - 1, 'k');
    const fs::path tooLong = dir / std::string(room, 'k');
    fs::create_directories(ok);
    fs::create_directories(tooLong);
    ASSERT_EQ(ok.string().size() + 1 + own, 259u);
    ASSERT_EQ(tooLong.string().size() + 1 + own, 260u);

    g.Set(ok.string());
    ExpectRunFolderIn(GetTempFolder(), ok.string() + "/");
    g.Set(tooLong.string());
    EXPECT_EQ(ThrownText<std::runtime_error>(GetTempFolder),
              A("Nom de dossier temporaire trop long (260 caractères) : ") + tooLong.string() + "/lexorama-" +
                  std::to_string(::getpid()) + "-XXXXXX/");
    RemoveTempFolder();
}

TEST(SocketErrorText, EveryKnownCode) {
    const std::map<int32_t, std::string> known = {
        {10004, "Interrupted system call"},
        {10009, "Bad file number"},
        {10013, "Permission denied"},
        {10014, "Bad address"},
        {10022, "Invalid argument"},
        {10024, "Too many open files"},
        {10035, "Operation would block"},
        {10036, "Operation now in progress"},
        {10038, "Socket operation on nonsocket"},
        {10039, "Destination address required"},
        {10040, "Message too long"},
        {10041, "Protocol wrong type for socket"},
        {10042, "Protocol not available"},
        {10043, "Protocol not supported"},
        {10044, "Socket type not supported"},
        {10045, "Operation not supported on socket"},
        {10046, "Protocol family not supported"},
        {10047, "Address family not supported by protocol family"},
        {10048, "Address already in use"},
        {10049, "Cannot assign requested address"},
        {10050, "Network is down"},
        {10051, "Network is unreachable"},
        {10052, "Network dropped connection on reset"},
        {10053, "Software caused connection abort"},
        {10054, "Connection reset by peer"},
        {10055, "No buffer space available"},
        {10056, "Socket is already connected"},
        {10057, "Socket is not connected"},
        {10058, "Cannot send after socket shutdown"},
        {10059, "Too many references: cannot splice"},
        {10060, "Connection timed out"},
        {10061, "Connection refused"},
        {10062, "Too many levels of symbolic links"},
        {10063, "File name too long"},
        {10064, "Host is down"},
        {10065, "No route to host"},
        {10091, "Network subsystem is unusable"},
        {10092, "Windows Sockets DLL cannot support this application"},
        {10093, "Winsock not initialized"},
        {10101, "Disconnect"},
        {11001, "Host not found"},
        {11002, "Nonauthoritative host not found"},
        {11003, "Nonrecoverable error"},
        {11004, "Valid name, no data record of requested type"},
    };
    ASSERT_EQ(known.size(), 44u);
    for (const auto& [code, text] : known) EXPECT_EQ(SocketErrorText(code), text) << code;
    // Every other number in the range has no text of its own.
    for (int32_t code = 10000; code <= 11010; ++code)
        if (!known.count(code)) {
            EXPECT_EQ(SocketErrorText(code), "Error Code unknown.") << code;
        }
}

TEST(SocketErrorText, UnknownCodes) {
    for (int32_t code : {10037, 10066, 0, -1, -10004, 2147483647, -2147483647 - 1})
        EXPECT_EQ(SocketErrorText(code), "Error Code unknown.") << code;
}

TEST(BinaryStrings, RightChars) {
    EXPECT_EQ(RightChars("ABCDE", 2), "DE");
    EXPECT_EQ(RightChars("ABCDE", 5), "ABCDE");
    EXPECT_EQ(RightChars("ABCDE", 9), "ABCDE");
    EXPECT_EQ(RightChars("ABCDE", 0), "");
    EXPECT_EQ(RightChars("ABCDE", -3), "");
    EXPECT_EQ(RightChars("", 2), "");
}

TEST(BinaryStrings, IntToBinStr) {
    EXPECT_EQ(IntToBinStr(0), "0");
    EXPECT_EQ(IntToBinStr(1), "1");
    EXPECT_EQ(IntToBinStr(6), "110");
    EXPECT_EQ(IntToBinStr(7), "111");
    EXPECT_EQ(IntToBinStr((1 << 25) - 1), std::string(25, '1'));
    EXPECT_EQ(IntToBinStr(2147483647), std::string(31, '1'));
}

TEST(BinaryStrings, BinStrToInt) {
    EXPECT_EQ(BinStrToInt("111"), 7);
    EXPECT_EQ(BinStrToInt("0011"), 3);
    EXPECT_EQ(BinStrToInt(""), 0);
    EXPECT_EQ(BinStrToInt(std::string(25, '1')), (1 << 25) - 1);
    EXPECT_EQ(BinStrToInt(std::string(31, '1')), 2147483647);
    EXPECT_EQ(BinStrToInt("1" + std::string(31, '0')), -2147483647 - 1);
    EXPECT_EQ(BinStrToInt("1" + std::string(32, '0')), 1);  // shift counts wrap at 32
    for (int32_t n : {0, 1, 5, 1000, 123456}) EXPECT_EQ(BinStrToInt(IntToBinStr(n)), n);
}

TEST(BinaryStrings, PadCountAndPosition) {
    EXPECT_EQ(PadLeftWith("101", '0', 5), "00101");
    EXPECT_EQ(PadLeftWith("101", '0', 2), "101");
    EXPECT_EQ(PadLeftWith("101", '0', 3), "101");
    EXPECT_EQ(PadLeftWith("", 'x', 2), "xx");
    EXPECT_EQ(PadLeftWith("1", '0', -4), "1");

    EXPECT_EQ(CountOnes("01101"), 3);
    EXPECT_EQ(CountOnes(""), 0);
    EXPECT_EQ(CountOnes("abc"), 0);

    EXPECT_EQ(PosFrom("ABCABC", "B", 3), 5);
    EXPECT_EQ(PosFrom("ABCABC", "B", 1), 2);
    EXPECT_EQ(PosFrom("ABCABC", "B", 2), 2);
    EXPECT_EQ(PosFrom("ABCABC", "B", 0), 0);
    EXPECT_EQ(PosFrom("ABCABC", "B", 7), 0);
    EXPECT_EQ(PosFrom("ABCABC", "CA", 1), 3);
    EXPECT_EQ(PosFrom("ABCABC", "b", 1), 0);  // case-sensitive
    EXPECT_EQ(PosFrom("ABCABC", "C", 6), 6);
    EXPECT_EQ(PosFrom("ABCABC", "", 1), 0);
}

TEST(BinaryStrings, RemoveLetters) {
    EXPECT_EQ(RemoveLetters("AABCE", "AC"), "ABE");
    EXPECT_EQ(RemoveLetters("ABC", "Z"), "ABC");
    EXPECT_EQ(RemoveLetters("AAB", "AA"), "B");
    EXPECT_EQ(RemoveLetters("AAB", "AAA"), "B");
    EXPECT_EQ(RemoveLetters("ABC", "a"), "ABC");
    EXPECT_EQ(RemoveLetters("ABC", ""), "ABC");
    EXPECT_EQ(RemoveLetters("", "A"), "");
}

TEST(Combinations, Factorial) {
    mpz_class f;
    FactorialBig(0, f);
    EXPECT_EQ(f, 1);
    FactorialBig(5, f);
    EXPECT_EQ(f, 120);
    FactorialBig(25, f);
    EXPECT_EQ(f.get_str(), "15511210043330985984000000");
}

TEST(Combinations, SubsetsOfTwoOrMore) {
    EXPECT_EQ(CountSubsetsOfTwoOrMore(3), 4);
    EXPECT_EQ(CountSubsetsOfTwoOrMore(4), 11);
    EXPECT_EQ(CountSubsetsOfTwoOrMore(1), 0);
    EXPECT_EQ(CountSubsetsOfTwoOrMore(0), 0);
    EXPECT_EQ(CountSubsetsOfTwoOrMore(-5), 0);
    for (int32_t n = 2; n <= 25; ++n) EXPECT_EQ(CountSubsetsOfTwoOrMore(n), (1 << n) - n - 1) << n;
    EXPECT_EQ(CountSubsetsOfTwoOrMore(25), 33554406);
    EXPECT_EQ(CountSubsetsOfTwoOrMore(31), 2147483616);
}

TEST(Combinations, InRange) {
    EXPECT_EQ(CountCombinationsInRange(2, 3, 4), 10);
    EXPECT_EQ(CountCombinationsInRange(4, 4, 4), 1);
    EXPECT_EQ(CountCombinationsInRange(3, 2, 4), 0);
    EXPECT_EQ(CountCombinationsInRange(2, 2, 25), 300);
    EXPECT_EQ(CountCombinationsInRange(2, 25, 25), 33554406);
    EXPECT_EQ(CountCombinationsInRange(12, 13, 25), 2 * 5200300);
}

// Caller errors reach the message box like the store's own errors: in French.
TEST(Combinations, CallerErrorsAreReportedInFrench) {
    mpz_class f;
    EXPECT_EQ(ThrownText<std::invalid_argument>([] { IntToBinStr(-1); }),
              "Conversion en binaire impossible : valeur -1 hors limites");
    EXPECT_EQ(ThrownText<std::invalid_argument>([&] { FactorialBig(-3, f); }),
              "Factorielle impossible : valeur -3 hors limites");
    EXPECT_EQ(ThrownText<std::invalid_argument>([] { CountCombinationsInRange(2, 5, 4); }),
              A("Nombre de combinaisons impossible : de 2 à 5 éléments parmi 4"));
    EXPECT_EQ(ThrownText<std::overflow_error>([] { CountSubsetsOfTwoOrMore(32); }),
              "Nombre de combinaisons trop grand : 4294967263");
    EXPECT_EQ(ThrownText<std::overflow_error>([] { CountCombinationsInRange(2, 40, 40); }),
              "Nombre de combinaisons trop grand : 1099511627735");
}

}  // namespace
