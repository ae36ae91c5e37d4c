#include "VersionCheck.h"

#include <algorithm>

#include "cp1252.h"
#include "gui/uMyMessageBox.h"

std::string VersionFromReply(const std::string& body) {
    const std::string head = body.substr(0, 8);
    return head.substr(0, head.find('\0'));
}

bool IsDictionaryVersion(const std::string& version) {
    const auto alnum = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    return version.size() > 3 && version.starts_with("LEX") && std::all_of(version.begin() + 3, version.end(), alnum);
}

bool IsNewerVersion(const std::string& localVersion, const std::string& serverVersion) {
    return std::lexicographical_compare(
        localVersion.begin(), localVersion.end(), serverVersion.begin(), serverVersion.end(),
        [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
}

TVersionCheck::TVersionCheck(THttpCli& http) : http_(http) {
    http_.OnRequestDone = [this](THttpRequest rq, uint16_t err) { HttpCli1RequestDone(rq, err); };
}

std::string TVersionCheck::Fetch(const std::string& server) {
    InfoRequestError = 0;
    std::string reply;
    http_.URL = "http://" + server + "/protec/relexo/LEXVERS.TXT";
    http_.RcvdStream = &reply;
    http_.MaxReceive = ReplyCap;
    http_.TotalTimeoutMs = CheckTimeoutMs;
    struct Detach {
        THttpCli& http;
        ~Detach() { http.RcvdStream = nullptr; }
    } detach{http_};
    try {
        http_.Head();
        http_.Get();
    } catch (const EHttpException&) {
        // A socket error already handed over by the request-done event comes first.
        if (InfoRequestError == 0) InfoRequestError = http_.StatusCode();
    }
    return VersionFromReply(reply);
}

std::string TVersionCheck::Answer(const std::string& localVersion, const std::string& serverVersion) const {
    if (InfoRequestError != 0) {
        ShowMessageBox("Erreur", RequestErrorText(InfoRequestError, http_.ReasonPhrase()), MB_ICONEXCLAMATION);
        return {};
    }
    // An error page, a proxy's notice or a broken file: never an update to offer.
    if (!IsDictionaryVersion(serverVersion)) {
        std::string shown = serverVersion;
        for (char& c : shown)
            if (static_cast<unsigned char>(c) < ' ') c = '?';
        ShowMessageBox("Erreur",
                       A("La réponse du serveur n'est pas une version du dictionnaire : \"") + shown +
                           A("\"\r\nRéessayez plus tard."),
                       MB_ICONEXCLAMATION);
        return {};
    }
    if (IsNewerVersion(localVersion, serverVersion)) {
        const std::string text = A("Le version téléchargeable du dictionnaire Lexorama est la ") + serverVersion +
                                 "\r\nVotre version de dictionnaire est la " + localVersion + "\r\n" +
                                 A("Voulez-vous mettre votre dictionnaire à jour ?");
        if (ShowMessageBox("Nouvelle version du dictionnaire", text, MB_ICONQUESTION | MB_YESNO) == IDYES)
            return serverVersion;
        return {};
    }
    ShowMessageBox(A("Dictionnaire à jour"), A("Vous disposez de la dernière version du dictionnaire"),
                   MB_ICONINFORMATION);
    return {};
}
