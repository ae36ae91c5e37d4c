// The update from "Oui" to the clean-up, in order, without any window: it turns the
// step lamps, rewrites the step labels and asks for the message boxes through
// IUpdateProgress, downloads and uploads through the two HTTP clients it is given, and
// uses the pieces of Update.h for everything else. The window shows what it is told and
// answers the boxes; the relaunch of the dictionary program stays the window's, as it
// ends the window too.
//
//   step 1  download the package (HEAD, then GET), stored in the run's temporary folder
//   step 2  extraction
//   step 3  the user's lines, sorted
//   step 4  the lines the update calls erroneous, removed
//   step 5  the update's new lines added; the new dictionary written with its version lines
//   step 6  the user's own words
//   step 7  LEXTRANS.TXT (a failure is told, the update goes on)
//   step 8  the upload of the own words, when the user allows it
//   step 9  the merge's files released; then Clean() removes the temporary files
//
// A lamp goes running before its step's work and done after it. Every failure that ends
// the update is told in one box (caption and text, Windows-1252, warning icon), after
// which Run returns: the dictionary is then either the old one or the merged one, never
// anything in between.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Update.h"

class THttpCli;

// The nine rows of the progress view, in their order.
enum class TUpdateStep { Download, Extract, Sort, Remove, NewLines, OwnWords, Transfer, Upload, Clean };
enum class TLampState { Pending, Running, Done };

// What the update shows while it runs. Each call is shown before it returns: a lamp is
// repainted at once, a box waits for its answer.
class IUpdateProgress {
public:
    virtual ~IUpdateProgress() = default;
    virtual void SetLamp(TUpdateStep step, TLampState state) = 0;
    // A step's label with the count of its work (Windows-1252).
    virtual void SetLabel(TUpdateStep step, const std::string& caption) = 0;
    // A row greyed until the own words make it part of the update (Transfer, Upload).
    virtual void EnableStep(TUpdateStep step) = 0;
    // A message box with the warning icon and "Ok" (Windows-1252).
    virtual void ShowBox(const std::string& caption, const std::string& text) = 0;
};

class TUpdateProcedure {
public:
    // `download` fetches the package, `upload` sends the own words; both stay the
    // caller's, and their request-done events are bound to the handlers below.
    TUpdateProcedure(IUpdateProgress& progress, THttpCli& download, THttpCli& upload);
    ~TUpdateProcedure();
    TUpdateProcedure(const TUpdateProcedure&) = delete;
    TUpdateProcedure& operator=(const TUpdateProcedure&) = delete;

    // Steps 1 to 9 but the clean-up, once. documentsFolder: the documents folder in the
    // file system's bytes, empty when there is none (LEXTRANS.TXT then fails, told).
    // The dictionary is "LEXOTOT.TXT" in the current folder.
    void Run(const std::string& updateVersion, const std::string& documentsFolder, bool sendAllowed);
    // The clean-up's step: removes the temporary files of the run, when it got as far as
    // naming them. Nothing it meets stops it.
    void Clean();

    // The download's request-done event: the socket error of the request (0 when the
    // exchange was completed).
    void DownloadRequestDone(uint16_t errCode);
    // The upload's request-done event; the reply is checked once the request has ended.
    void UploadRequestDone(uint16_t errCode);

private:
    void RunSteps(bool sendAllowed);
    bool Download();
    void Upload();

    IUpdateProgress& progress_;
    THttpCli& download_;
    THttpCli& upload_;
    int32_t requestError_ = 0;  // of the current request: a status or a socket error
    uint16_t uploadErrCode_ = 0;
    TUpdatePaths paths_;
    bool pathsSet_ = false;
    std::unique_ptr<TDictionaryMerge> merge_;
};
