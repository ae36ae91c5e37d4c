// The update's small pieces: paths, step labels, messages, the upload body and the
// check of its reply, the removal of the temporary files.
#include "Update.h"

#include <cstdio>
#include <system_error>

#include <unistd.h>

#include "Global.h"
#include "UpdateText.h"
#include "cp1252.h"
#include "platform/TempFile.h"

std::string WriteErrorText(const std::string& name, int err) {
    char code[16];
    std::snprintf(code, sizeof code, "%X", static_cast<unsigned>(err));
    return A("Erreur [") + code + A("] à l'écriture de ") + name;
}

TUpdatePaths MakeUpdatePaths(const std::string& updateVersion, const std::string& tempFolder,
                             const std::string& documentsFolder) {
    TUpdatePaths p;
    p.UpdateVersion = updateVersion;
    p.TempFolder = tempFolder;
    if (p.TempFolder.empty() || p.TempFolder.back() != '/') p.TempFolder += '/';
    p.ZipName = updateVersion + ".ZIP";
    p.ZipPath = p.TempFolder + p.ZipName;
    p.UpdateTextPath = p.TempFolder + updateVersion + ".TXT";
    p.DeleteListPath = p.TempFolder + "LEXODEL.TXT";
    // Without a documents folder the name would point at the root folder, which is no
    // place for the user's file: there is then no file to write.
    if (!documentsFolder.empty()) p.TransferPath = documentsFolder + "/LEXTRANS.TXT";
    p.DictionaryPath = kDictionaryFileName;
    return p;
}

namespace {

// "prefix : k mot", with an "s" from 2 on.
std::string CountCaption(const char* prefix, int32_t count) {
    return A(prefix) + " : " + std::to_string(count) + " mot" + (count > 1 ? "s" : "");
}

}  // namespace

std::string SortCaption(int32_t count) {
    return A("Tri alphabétique de votre dictionnaire : ") + std::to_string(count) + " mots valides";
}

std::string RemovedCaption(int32_t count) {
    return CountCaption("Suppression des mots érronés de votre dictionnaire", count);
}

std::string AddedCaption(int32_t count) {
    return CountCaption("Recherche des nouveaux mots dans la mise à jour", count);
}

std::string OwnWordsCaption(int32_t count) {
    return CountCaption("Recherche des nouveaux mots dans votre dictionnaire", count);
}

std::string TransferErrorText() { return A("Echec de l'écriture de LEXTRANS.TXT"); }

std::string UploadBody(const std::string& wordsText) { return "AJOUTER=" + wordsText; }

std::string UploadReplyError(uint16_t errCode, int statusCode, const std::string& reasonPhrase, std::size_t replyLength,
                             std::size_t sentTextLength) {
    if (errCode != 0) return std::to_string(errCode) + " : " + SocketErrorText(errCode);
    if (statusCode != 200 && statusCode != 0) return reasonPhrase + " : " + std::to_string(statusCode);
    if (replyLength != sentTextLength)
        return A("Erreur lors de l'écriture sur le serveur : E ") + std::to_string(sentTextLength) + " - R " +
               std::to_string(replyLength);
    return {};
}

void SavePackage(const TUpdatePaths& paths, const std::string& bytes) {
    try {
        TTemporaryFile::WriteAll(paths.ZipPath, bytes);
    } catch (const std::system_error& e) {
        throw EUpdateError(
            "Erreur", WriteErrorText(paths.ZipPath, e.code().value()) + A("\r\nLa mise à jour n'est pas possible."));
    }
}

void DeleteTemporaryFiles(const TUpdatePaths& paths) {
    // A file that cannot be removed stays where it is; nothing depends on its going.
    for (const std::string* path : {&paths.ZipPath, &paths.UpdateTextPath, &paths.DeleteListPath, &paths.ZipName})
        ::unlink(path->c_str());
    // And the run's own folder goes whole, with whatever else the package held.
    RemoveTempFolder();
}
