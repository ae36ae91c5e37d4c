// The unit Global: dictionary lines and grammatical codes, word folding and keys,
// the temporary folder, socket error texts, the letter-draw arithmetic and the
// globals of the dictionary program. Every text routine works on Windows-1252 bytes.
#include "Global.h"

#include <unistd.h>
#include <signal.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>
#include <cstdlib>
#include <limits>
#include <stdexcept>

#include "FactorialBig.h"
#include "cp1252.h"

ITabStringsPtr Dictionary;
std::string EditedWord;
std::string DictionaryVersion;
bool StopRequested = false;

const char ForbiddenFileNameChars[10] = {'\\', '/', ':', '*', '?', '<', '>', '|', '"', '\0'};

// ---------------------------------------------------------------------------
// Dictionary lines

TMotFields DictLineFields(std::string_view line) { return DictLineFields(line, line.find('\t')); }

TMotFields DictLineFields(std::string_view line, size_t wordEnd) {
    std::string_view rest(line);
    // The text up to the next TAB and the rest after it (the whole text and nothing
    // when there is no TAB left).
    auto field = [&rest]() {
        const size_t tab = rest.find('\t');
        if (tab == std::string_view::npos) return std::string_view{};
        std::string_view f = rest.substr(0, tab);
        rest.remove_prefix(tab + 1);
        return f;
    };
    TMotFields f;
    if (wordEnd != std::string_view::npos) {
        f.Word = line.substr(0, wordEnd);
        rest.remove_prefix(wordEnd + 1);
    }
    f.Lemma = field();
    f.SortedKey = field();
    // The one marker character that precedes the code, whatever it is.
    if (!rest.empty()) rest.remove_prefix(1);
    f.Code = rest;
    return f;
}

void ParseDictLine(const std::string& line, TMot& mot) {
    const TMotFields f = DictLineFields(line);
    mot.Word.assign(f.Word);
    mot.Lemma.assign(f.Lemma == "0" ? f.Word : f.Lemma);
    mot.SortedKey.assign(f.SortedKey);
    mot.Code.assign(f.Code);
}

std::string CategoryText(const std::string& code, const std::string& lemma) {
    if (code.empty()) return {};
    const char c = code[0];
    // A position past the end of the code holds no digit.
    const char d1 = code.size() > 1 ? code[1] : '\0';
    const char d2 = code.size() > 2 ? code[2] : '\0';
    const char d3 = code.size() > 3 ? code[3] : '\0';

    std::string r;
    switch (c) {
        case 'A': return A("abréviation");
        case 'C': return A("conjonction");
        case 'I': return A("interjection");
        case 'O': return A("onomatopée");
        case 'R': return A("préposition");
        case 'W': return A("nom propre ");
        case 'Z': return A("adverbe");
        case 'D': r = A("déterminant "); break;
        case 'J': r = A("adjectif "); break;
        case 'N': r = A("nom commun "); break;
        case 'P': r = A("pronom "); break;
        case 'V': r = A("verbe (") + lemma + A(") "); break;
        default: return {};
    }

    if (c == 'V') {
        if (d1 >= '0' && d1 <= '4') {
            static const char* const moods[] = {"infinitif", "indicatif ", "conditionnel ", "subjonctif ",
                                                "impératif "};
            r += A(moods[d1 - '0']);
            switch (d2) {
                case '1': r += A("présent "); break;
                case '2': r += A("imparfait "); break;
                case '3': r += A("passé simple "); break;
                case '4': r += A("futur simple "); break;
                default: break;
            }
            switch (d3) {
                case '1': r += A("1° personne du singulier"); break;
                case '2': r += A("2° personne du singulier"); break;
                case '3': r += A("3° personne du singulier"); break;
                case '4': r += A("1° personne du pluriel"); break;
                case '5': r += A("2° personne du pluriel"); break;
                case '6': r += A("3° personne du pluriel"); break;
                default: break;
            }
        } else {
            if (d1 == '5')
                r += A("participe présent ");
            else if (d1 == '6')
                r += A("participe passé ");
            if (d2 == '1')
                r += A("masculin - ");
            else if (d2 == '2')
                r += A("féminin - ");
            if (d3 == '1')
                r += A("singulier");
            else if (d3 == '2')
                r += A("pluriel");
        }
        return r;
    }

    // D, J, N, P: gender then number.
    switch (d1) {
        case '0': r += A("genre invariable - "); break;
        case '1': r += A("masculin - "); break;
        case '2': r += A("féminin - "); break;
        case '3': r += A("cardinal - "); break;
        default: break;
    }
    switch (d2) {
        case '0': r += A("invariable pluriel"); break;
        case '1': r += A("singulier"); break;
        case '2': r += A("pluriel"); break;
        default: break;
    }
    return r;
}

std::string VersionLine(const std::string& version) {
    // Readers take the version from fixed columns (45-53, the version and its blank),
    // so the line keeps its 96-character layout whatever it is handed: a longer text
    // (the 9-character version as read from a file, with its blank) is cut to 8
    // characters, a shorter one is padded with blanks.
    std::string v = version.substr(0, 8);
    v.resize(8, ' ');
    const std::string tildes(43, '~');
    return tildes + ' ' + v + ' ' + tildes;
}

bool IsVersionLine(std::string_view line) {
    constexpr std::size_t kTildes = 43;
    if (line.size() != 2 * kTildes + 10) return false;
    if (line[kTildes] != ' ' || line[kTildes + 9] != ' ') return false;
    for (std::size_t i = 0; i < kTildes; ++i)
        if (line[i] != '~' || line[kTildes + 10 + i] != '~') return false;
    return true;
}

// ---------------------------------------------------------------------------
// Folding and keys

namespace {

// The accent fold followed by the Windows-1252 upper-case mapping, one byte at a time.
constexpr std::array<unsigned char, 256> MakeFoldTable() {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = static_cast<unsigned char>(b);
    for (int b = 0xE0; b <= 0xE5; ++b) t[b] = 'a';
    t[0xE7] = 'c';
    for (int b = 0xE8; b <= 0xEB; ++b) t[b] = 'e';
    for (int b = 0xEC; b <= 0xEF; ++b) t[b] = 'i';
    t[0xF1] = 'n';
    for (int b = 0xF2; b <= 0xF6; ++b) t[b] = 'o';
    for (int b = 0xF9; b <= 0xFC; ++b) t[b] = 'u';
    t[0xFD] = 'y';
    t[0xFF] = 'y';
    // Upper case: the plain letters and the lower-case letters left after folding.
    for (int b = 0; b < 256; ++b) {
        const unsigned char v = t[b];
        if (v >= 'a' && v <= 'z') t[b] = static_cast<unsigned char>(v - 'a' + 'A');
    }
    t[0xE6] = 0xC6;  // æ Æ
    t[0xF0] = 0xD0;  // ð Ð
    t[0xF8] = 0xD8;  // ø Ø
    t[0xFE] = 0xDE;  // þ Þ
    t[0x9A] = 0x8A;  // š Š
    t[0x9C] = 0x8C;  // œ Œ
    t[0x9E] = 0x8E;  // ž Ž
    return t;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

}  // namespace

std::string FoldAccentsUpper(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
    return r;
}

std::string AnagramKey(std::string_view s) {
    // The sorted letters A-Z of the fold: a count per letter gives the same multiset in
    // ascending order as sorting the bytes and dropping everything else.
    std::array<uint32_t, 26> counts{};
    size_t total = 0;
    for (char c : s) {
        const unsigned char f = kFold[static_cast<unsigned char>(c)];
        if (f >= 'A' && f <= 'Z') {
            ++counts[f - 'A'];
            ++total;
        }
    }
    std::string key;
    key.reserve(total);
    for (int k = 0; k < 26; ++k) key.append(counts[k], static_cast<char>('A' + k));
    return key;
}

std::string SanitizeFileName(std::string_view s) {
    std::string r(s);
    const std::string_view forbidden(ForbiddenFileNameChars, 9);
    for (char& c : r)
        if (forbidden.find(c) != std::string_view::npos) c = FileNameReplacementChar;
    return r;
}

// ---------------------------------------------------------------------------
// Temporary folder and socket error texts

std::string SystemTempFolder() {
    // $TMPDIR when it names an existing directory we may write in, else /tmp.
    std::string dir = "/tmp";
    if (const char* env = std::getenv("TMPDIR"); env != nullptr && *env != '\0') {
        struct stat st {};
        if (::stat(env, &st) == 0 && S_ISDIR(st.st_mode) && ::access(env, W_OK | X_OK) == 0) dir = env;
    }
    if (dir.back() != '/') dir += '/';
    return dir;
}

namespace {

// The run folders this process made (one per shared folder it was asked under), and the
// process that made them: a child forked from it must not remove them when it ends.
struct TRunFolders {
    std::mutex lock;
    std::vector<std::string> made;
    pid_t owner = 0;
    bool removedAtExit = false;
};

TRunFolders& RunFolders() {
    static TRunFolders* folders = new TRunFolders;  // outlives every static that may use it
    return *folders;
}

// A folder that only this user can enter, that is no link, and that this user owns.
bool IsPrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// Run folders are named "lexorama-PID-XXXXXX": the process that made one is known.
constexpr std::string_view kRunFolderPrefix = "lexorama-";

std::string RunFolderPrefix(pid_t pid) { return std::string(kRunFolderPrefix) + std::to_string(pid) + "-"; }

// The process of a run folder's name; 0 when the name is none.
pid_t RunFolderOwner(std::string_view name) {
    if (name.substr(0, kRunFolderPrefix.size()) != kRunFolderPrefix) return 0;
    name.remove_prefix(kRunFolderPrefix.size());
    const std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9 || name.size() != dash + 7) return 0;
    pid_t pid = 0;
    for (std::size_t i = 0; i < dash; ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        pid = pid * 10 + (name[i] - '0');
    }
    return pid;
}

// Removes the run folders of this user that a killed run left in `shared`.
void RemoveAbandonedRunFolders(const std::string& shared) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(shared, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const pid_t owner = RunFolderOwner(name);
        if (owner <= 0 || ::kill(owner, 0) == 0 || errno != ESRCH) continue;
        const std::string folder = shared + name;
        std::error_code ignored;
        if (IsPrivateFolder(folder)) std::filesystem::remove_all(folder, ignored);
    }
}

}  // namespace

std::string GetTempFolder() {
    const std::string shared = SystemTempFolder();
    TRunFolders& f = RunFolders();
    const std::lock_guard<std::mutex> hold(f.lock);
    const std::string prefix = shared + RunFolderPrefix(::getpid());
    for (const std::string& folder : f.made)
        if (folder.compare(0, prefix.size(), prefix) == 0 && folder.find('/', prefix.size()) == folder.size() - 1 &&
            IsPrivateFolder(folder))
            return folder;

    // Callers append a file name; a folder that cannot be held whole in the classic
    // 260-character path buffer (closing zero included) is refused rather than cut to
    // a different, wrong folder.
    std::string name = prefix + "XXXXXX/";
    if (name.size() >= 260)
        throw std::runtime_error(A("Nom de dossier temporaire trop long (") + std::to_string(name.size()) +
                                 A(" caractères) : ") + name);
    RemoveAbandonedRunFolders(shared);
    // A new name that nobody else can have taken, made with mode 0700: no other user can
    // plant a file or a link in it, and two copies of the programs never share one.
    name.pop_back();
    if (::mkdtemp(name.data()) == nullptr)
        throw std::runtime_error(A("Impossible de créer un dossier temporaire dans ") + shared + " : " +
                                 std::strerror(errno));
    name += '/';
    if (!f.removedAtExit) {
        f.owner = ::getpid();
        f.removedAtExit = true;
        std::atexit(RemoveTempFolder);
    }
    f.made.push_back(name);
    return name;
}

void RemoveTempFolder() {
    TRunFolders& f = RunFolders();
    const std::lock_guard<std::mutex> hold(f.lock);
    if (f.owner != ::getpid()) return;
    for (const std::string& folder : f.made) {
        // Links inside are removed, never followed.
        std::error_code ignored;
        if (IsPrivateFolder(folder)) std::filesystem::remove_all(folder, ignored);
    }
    f.made.clear();
}

std::string SocketErrorText(int32_t code) {
    switch (code) {
        case 10004: return "Interrupted system call";
        case 10009: return "Bad file number";
        case 10013: return "Permission denied";
        case 10014: return "Bad address";
        case 10022: return "Invalid argument";
        case 10024: return "Too many open files";
        case 10035: return "Operation would block";
        case 10036: return "Operation now in progress";
        case 10038: return "Socket operation on nonsocket";
        case 10039: return "Destination address required";
        case 10040: return "Message too long";
        case 10041: return "Protocol wrong type for socket";
        case 10042: return "Protocol not available";
        case 10043: return "Protocol not supported";
        case 10044: return "Socket type not supported";
        case 10045: return "Operation not supported on socket";
        case 10046: return "Protocol family not supported";
        case 10047: return "Address family not supported by protocol family";
        case 10048: return "Address already in use";
        case 10049: return "Cannot assign requested address";
        case 10050: return "Network is down";
        case 10051: return "Network is unreachable";
        case 10052: return "Network dropped connection on reset";
        case 10053: return "Software caused connection abort";
        case 10054: return "Connection reset by peer";
        case 10055: return "No buffer space available";
        case 10056: return "Socket is already connected";
        case 10057: return "Socket is not connected";
        case 10058: return "Cannot send after socket shutdown";
        case 10059: return "Too many references: cannot splice";
        case 10060: return "Connection timed out";
        case 10061: return "Connection refused";
        case 10062: return "Too many levels of symbolic links";
        case 10063: return "File name too long";
        case 10064: return "Host is down";
        case 10065: return "No route to host";
        case 10091: return "Network subsystem is unusable";
        case 10092: return "Windows Sockets DLL cannot support this application";
        case 10093: return "Winsock not initialized";
        case 10101: return "Disconnect";
        case 11001: return "Host not found";
        case 11002: return "Nonauthoritative host not found";
        case 11003: return "Nonrecoverable error";
        case 11004: return "Valid name, no data record of requested type";
        default: return "Error Code unknown.";
    }
}

// ---------------------------------------------------------------------------
// Letter-draw arithmetic

std::string RightChars(const std::string& s, int32_t count) {
    if (count <= 0) return {};
    const size_t n = static_cast<size_t>(count);
    if (n >= s.size()) return s;
    return s.substr(s.size() - n);
}

std::string IntToBinStr(int32_t n) {
    if (n < 0)
        throw std::invalid_argument("Conversion en binaire impossible : valeur " + std::to_string(n) + " hors limites");
    std::string r;
    do {
        r.insert(r.begin(), static_cast<char>('0' + n % 2));
        n /= 2;
    } while (n != 0);
    return r;
}

int32_t BinStrToInt(const std::string& s) {
    // 32-bit arithmetic with the shift count taken modulo 32, as the callers' bit
    // strings were always computed; unsigned so that wrapping is well defined.
    uint32_t sum = 0;
    const size_t len = s.size();
    for (size_t i = 0; i < len; ++i) {
        const uint32_t digit = static_cast<uint32_t>(static_cast<unsigned char>(s[i])) - static_cast<uint32_t>('0');
        sum += digit << ((len - 1 - i) % 32);
    }
    return static_cast<int32_t>(sum);
}

std::string PadLeftWith(const std::string& s, char ch, int32_t width) {
    if (width <= 0 || s.size() >= static_cast<size_t>(width)) return s;
    return std::string(static_cast<size_t>(width) - s.size(), ch) + s;
}

int32_t CountOnes(const std::string& s) {
    int32_t n = 0;
    for (char c : s)
        if (c == '1') ++n;
    return n;
}

int32_t PosFrom(const std::string& s, const std::string& sub, int32_t start) {
    if (start < 1 || sub.empty()) return 0;
    const size_t from = static_cast<size_t>(start) - 1;
    if (from >= s.size()) return 0;
    const size_t p = s.find(sub, from);
    return p == std::string::npos ? 0 : static_cast<int32_t>(p + 1);
}

std::string RemoveLetters(const std::string& s, const std::string& letters) {
    std::string r = s;
    for (char c : letters) {
        const size_t p = r.find(c);
        if (p != std::string::npos) r.erase(p, 1);
    }
    return r;
}

void FactorialBig(int32_t n, mpz_class& f) {
    if (n < 0) throw std::invalid_argument("Factorielle impossible : valeur " + std::to_string(n) + " hors limites");
    f = 1;
    for (int32_t i = 1; i <= n; ++i) f *= static_cast<unsigned long>(i);
}

namespace {

// Sum over K = minK..maxK of N! / (K! (N-K)!), as a 32-bit signed integer.
int32_t SumOfBinomials(int32_t minK, int32_t maxK, int32_t n) {
    mpz_class sum = 0;
    if (maxK < minK) return 0;
    if (minK < 0 || maxK > n)
        throw std::invalid_argument(A("Nombre de combinaisons impossible : de ") + std::to_string(minK) + A(" à ") +
                                    std::to_string(maxK) + A(" éléments parmi ") + std::to_string(n));
    mpz_class nf, kf, rf;
    FactorialBig(n, nf);
    for (int32_t k = minK; k <= maxK; ++k) {
        FactorialBig(k, kf);
        FactorialBig(n - k, rf);
        sum += nf / (kf * rf);
    }
    if (sum > std::numeric_limits<int32_t>::max())
        throw std::overflow_error("Nombre de combinaisons trop grand : " + sum.get_str());
    return static_cast<int32_t>(sum.get_si());
}

}  // namespace

int32_t CountSubsetsOfTwoOrMore(int32_t n) {
    if (n < 2) return 0;
    return SumOfBinomials(2, n, n);
}

int32_t CountCombinationsInRange(int32_t minK, int32_t maxK, int32_t n) { return SumOfBinomials(minK, maxK, n); }
