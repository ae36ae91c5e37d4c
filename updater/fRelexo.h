// The updater's only window: the explanation and the confirmation, then the column of
// step lamps while the update runs. The user cannot close it: it closes itself once the
// dictionary program has been started again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "core/UpdateProcedure.h"

class QCheckBox;
class THttpCli;
class QCloseEvent;
class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;
class TLed;

class TfrmRelexo : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRelexo(QWidget* parent = nullptr);
    ~TfrmRelexo() override;

    // The version to install (Windows-1252), set before the window is shown.
    std::string UpdateVersion;
    // The answer of every close attempt; set just before the window closes itself.
    bool CloseAllowed = false;

    // ---- Components, named as the window layout names them ----
    QFrame* pnlInfo;
    QTextEdit* reInfo;
    QFrame* pnlOuiNon;
    QLabel* Label2;
    QLabel* Label3;
    QCheckBox* cbEnvoi;
    QLabel* Label1;
    QPushButton* btnOui;
    QPushButton* btnNon;
    QFrame* pnlAction;
    TLed* ledTeleCharge;
    QLabel* lblTeleCharge;
    TLed* ledDezip;
    QLabel* lblDezip;
    TLed* ledTri;
    QLabel* lblTri;
    TLed* ledLexoDel;
    QLabel* lblLexoDel;
    TLed* ledNouveauxMots;
    QLabel* lblNouveauxMots;
    TLed* ledVosMots;
    QLabel* lblVosMots;
    TLed* ledTransfert;
    QLabel* lblTransfert;
    QLabel* lblTransfert2;
    TLed* ledZip;
    QLabel* lblZip;
    TLed* ledNet;
    QLabel* lblNet;

    // ---- Handlers ----
    // Caption, colours, step captions and the explanation; run once, when first shown.
    void FormShow();
    bool FormCloseQuery() const { return CloseAllowed; }
    // F1 opens the help window; other keys go on to the focused control.
    void FormKeyDown(int key);
    void cbEnvoiClick();
    // The update (TUpdateProcedure), shown on the step rows; then Clean.
    void btnOuiClick();
    // Removes the temporary files, beeps and hands over to btnNonClick.
    void Clean();
    // Starts the dictionary program again and closes the window.
    void btnNonClick();

    // The lamp colours of the steps ($BBGGRR); each change is painted at once.
    static constexpr uint32_t kPending = 0x0000FF;
    static constexpr uint32_t kRunning = 0x46C4F9;
    static constexpr uint32_t kDone = 0x00FF00;
    static void SetLamp(TLed* led, uint32_t colour);

    // The windows and programs this one opens come in through these hooks, so that tests
    // can stand in for them.
    // The help window (F1), shown modally.
    std::function<void()> OpenHelp;
    // Starts the dictionary program once this process has ended; false, with the text to
    // show, when it cannot be started.
    std::function<bool(std::string& failureText)> StartDictionaryProgram;

    // The window caption's contact address.
    static const char* ContactAddress();

    // The two HTTP clients: the package download and the upload of the own words.
    std::unique_ptr<THttpCli> HttpCli1;
    std::unique_ptr<THttpCli> HttpCli2;
    // Request-done handlers: the socket error of the request (0 when the exchange was
    // completed), handed to the update procedure.
    void HttpCli1RequestDone(uint16_t errCode);
    void HttpCli2RequestDone(uint16_t errCode);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Escape, wherever the focus is: "Non" while the confirmation shows, else nothing.
    void reject() override;

private:
    void BuildComponents();
    void FillExplanation();

    class TStepRows;  // the step rows as the procedure's progress view
    bool shown_ = false;
    bool cursorSet_ = false;  // the hourglass shows since "Oui"
    std::unique_ptr<TStepRows> rows_;
    std::unique_ptr<TUpdateProcedure> update_;
};
