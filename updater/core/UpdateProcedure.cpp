// The update's order of steps, its two requests and its failure boxes.
#include "UpdateProcedure.h"

#include <exception>

#include "Global.h"
#include "cp1252.h"
#include "net/HttpCli.h"

namespace {

// The client's streams point into the request's own strings: they are detached however
// the request ends, so that no later request writes into a string that has gone.
class TStreamsOf {
public:
    TStreamsOf(THttpCli& http, std::string* received, const std::string* sent = nullptr) : http_(http) {
        http_.RcvdStream = received;
        http_.SendStream = sent;
    }
    ~TStreamsOf() {
        http_.RcvdStream = nullptr;
        http_.SendStream = nullptr;
    }
    TStreamsOf(const TStreamsOf&) = delete;
    TStreamsOf& operator=(const TStreamsOf&) = delete;

private:
    THttpCli& http_;
};

}  // namespace

TUpdateProcedure::TUpdateProcedure(IUpdateProgress& progress, THttpCli& download, THttpCli& upload)
    : progress_(progress), download_(download), upload_(upload) {
    download_.OnRequestDone = [this](THttpRequest, uint16_t errCode) { DownloadRequestDone(errCode); };
    upload_.OnRequestDone = [this](THttpRequest, uint16_t errCode) { UploadRequestDone(errCode); };
    // The whole package fits under the unpacked-size limit; a server that sends more
    // leaves a truncated archive, which the extraction refuses.
    download_.MaxReceive = static_cast<std::size_t>(kMaxPackageBytes) + 1;
}

TUpdateProcedure::~TUpdateProcedure() = default;

void TUpdateProcedure::Run(const std::string& updateVersion, const std::string& documentsFolder, bool sendAllowed) {
    progress_.SetLamp(TUpdateStep::Download, TLampState::Running);
    try {
        // The version names files in the temporary and current folders, and these files
        // are deleted at the end: a version that would name a file elsewhere is refused.
        if (updateVersion.find('/') != std::string::npos)
            throw EUpdateError("Erreur", A("La version demandée n'est pas valable : ") + updateVersion);
        paths_ = MakeUpdatePaths(updateVersion, GetTempFolder(), documentsFolder);
        pathsSet_ = true;
        RunSteps(sendAllowed);
    } catch (const EUpdateError& e) {
        progress_.ShowBox(e.Caption(), e.what());
    } catch (const std::exception& e) {
        // Whatever else went wrong, the user hears of it and gets the dictionary program
        // back; the merge never leaves a half-written dictionary behind.
        progress_.ShowBox("Erreur", A("La mise à jour n'a pas pu aboutir :") + "\r\n" + e.what());
    }
    // Step 9.
    if (merge_) {
        try {
            merge_->Release();
        } catch (const std::exception&) {
            // The files are closed when the object goes, below.
        }
        merge_.reset();
    }
}

void TUpdateProcedure::RunSteps(bool sendAllowed) {
    if (!Download()) return;

    // Step 2: extraction.
    progress_.SetLamp(TUpdateStep::Extract, TLampState::Running);
    ExtractPackage(paths_);
    progress_.SetLamp(TUpdateStep::Extract, TLampState::Done);

    // Step 3: the user's lines, sorted.
    merge_ = std::make_unique<TDictionaryMerge>(paths_);
    merge_->OpenFiles();
    progress_.SetLamp(TUpdateStep::Sort, TLampState::Running);
    progress_.SetLabel(TUpdateStep::Sort, SortCaption(merge_->SortDictionary()));
    progress_.SetLamp(TUpdateStep::Sort, TLampState::Done);

    // Step 4: the lines the update calls erroneous.
    progress_.SetLamp(TUpdateStep::Remove, TLampState::Running);
    if (const int32_t k = merge_->RemoveDeletedLines()) progress_.SetLabel(TUpdateStep::Remove, RemovedCaption(k));
    progress_.SetLamp(TUpdateStep::Remove, TLampState::Done);

    // Step 5: the update's new lines, and the new dictionary with its version lines.
    progress_.SetLamp(TUpdateStep::NewLines, TLampState::Running);
    if (const int32_t k = merge_->AddNewLines()) progress_.SetLabel(TUpdateStep::NewLines, AddedCaption(k));
    merge_->WriteDictionary();
    progress_.SetLamp(TUpdateStep::NewLines, TLampState::Done);

    // Step 6: the user's own words.
    progress_.SetLamp(TUpdateStep::OwnWords, TLampState::Running);
    if (const int32_t k = merge_->FindOwnWords()) {
        progress_.SetLabel(TUpdateStep::OwnWords, OwnWordsCaption(k));
        progress_.EnableStep(TUpdateStep::Transfer);
        if (sendAllowed) progress_.EnableStep(TUpdateStep::Upload);
    }
    progress_.SetLamp(TUpdateStep::OwnWords, TLampState::Done);
    if (merge_->OwnWords().empty()) return;

    // Step 7: LEXTRANS.TXT; a failure is told and the update goes on.
    progress_.SetLamp(TUpdateStep::Transfer, TLampState::Running);
    if (merge_->WriteTransferFile(sendAllowed))
        progress_.SetLamp(TUpdateStep::Transfer, TLampState::Done);
    else
        progress_.ShowBox("Erreur", TransferErrorText());

    // Step 8: the upload.
    if (sendAllowed) Upload();
}

void TUpdateProcedure::DownloadRequestDone(uint16_t errCode) { requestError_ = errCode; }

bool TUpdateProcedure::Download() {
    // Step 1: the package, into the temporary folder.
    requestError_ = 0;
    // A server setting without its port would only end in "Connection refused".
    if (const std::string problem = MakerServerProblem(); !problem.empty()) {
        progress_.ShowBox("Erreur", problem);
        return false;
    }
    download_.URL = "http://" + MakerServer() + "/protec/relexo/load_zip.php3?FICHIER=" + paths_.ZipName;
    std::string body;
    try {
        const TStreamsOf streams(download_, &body);
        download_.HeadThenGet();
    } catch (const EHttpException&) {
        // A socket error, told by the request-done event, comes before the status.
        if (requestError_ == 0) requestError_ = download_.StatusCode();
    }
    if (requestError_ != 0) {
        progress_.ShowBox("Erreur", RequestErrorText(requestError_, download_.ReasonPhrase()));
        return false;
    }
    // Into the run's own temporary folder, as a new file.
    SavePackage(paths_, body);
    download_.Close();
    progress_.SetLamp(TUpdateStep::Download, TLampState::Done);
    return true;
}

void TUpdateProcedure::UploadRequestDone(uint16_t errCode) { uploadErrCode_ = errCode; }

void TUpdateProcedure::Upload() {
    progress_.SetLamp(TUpdateStep::Upload, TLampState::Running);
    const std::string words = merge_->WordsText();
    const std::string body = UploadBody(words);
    uploadErrCode_ = 0;
    std::string reply;
    upload_.URL = "http://" + MakerServer() + "/protec/relexo/traitement.php3";
    // The reply should be as long as the words sent: one far longer is no answer of the
    // server's, and must not grow without end.
    upload_.MaxReply = 2 * words.size() + 65536;
    try {
        const TStreamsOf streams(upload_, &reply, &body);
        upload_.Post();
    } catch (const EHttpException&) {
        // The reply check below tells what went wrong.
    }
    const std::string text =
        UploadReplyError(uploadErrCode_, upload_.StatusCode(), upload_.ReasonPhrase(), reply.size(), words.size());
    if (!text.empty()) progress_.ShowBox("Erreur", text);
    progress_.SetLamp(TUpdateStep::Upload, TLampState::Done);
}

void TUpdateProcedure::Clean() {
    progress_.SetLamp(TUpdateStep::Clean, TLampState::Running);
    if (pathsSet_) {
        try {
            DeleteTemporaryFiles(paths_);
        } catch (const std::exception&) {
            // A temporary file that cannot be deleted stays; the relaunch goes on.
        }
    }
    progress_.SetLamp(TUpdateStep::Clean, TLampState::Done);
}
