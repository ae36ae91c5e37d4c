// The main window of the dictionary program: the mode panel, the search box with its
// history, the length boxes, the result area and the letter draw's progress panel.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include <QString>
#include <QWidget>

#include "LengthRule.h"
#include "SearchDraw.h"
#include "SearchModes.h"

class QAbstractButton;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class RichEditResultArea;
class TCoolGauge;
class TUpDown;
class ResultList;

// The globals of the main window's unit.
namespace LexoMain {
// The current search mode.
extern TSearchMode SearchMode;
// The one list of result strings every search fills (room for 5500 entries); it exists
// from the window's creation to its closing.
extern std::unique_ptr<::ResultList> ResultList;
}  // namespace LexoMain

class TfMain : public QWidget, public IDrawPanel {
    Q_OBJECT
public:
    explicit TfMain(QWidget* parent = nullptr);
    ~TfMain() override;

    // ---- Components, named as the window layout names them ----
    QFrame* pnlBtn;
    QPushButton* btnMot;
    QPushButton* btnAna;
    QPushButton* btnCon;
    QPushButton* btnMasque;
    QPushButton* btnTirage;
    QPushButton* btnInfos;
    QPushButton* btnSauve;
    QFrame* pnlTri;
    QLabel* Label1;
    QRadioButton* rbAlpha;
    QRadioButton* rbLong;
    QRadioButton* rbCourt;
    QFrame* pnlListe;
    QLabel* Label2;
    QRadioButton* rbMotSeul;
    QRadioButton* rbMotAnalyse;
    QCheckBox* cbNP;
    QFrame* pnlAffiche;
    QComboBox* cboChercheMot;
    QToolButton* btnClearcbo;
    QLabel* lblL1;
    QLineEdit* edtMinL;
    TUpDown* UpDown1;
    QLabel* lblL2;
    QLineEdit* edtMaxL;
    TUpDown* UpDown2;
    QLabel* lblL3;
    QPushButton* btnAction;
    QPushButton* btnInscrip;
    RichEditResultArea* RichEdit1;
    QFrame* pnlTirage;
    QFrame* pnlTirageInterne;
    QLabel* lblTirage;
    TCoolGauge* cgGauge;
    QLabel* lblNMots;
    QLabel* lblTime;
    QPushButton* btnArreter;

    // ---- Handlers ----
    // Opens the dictionary, repairs its version lines, reads the settings record and
    // applies the mode; run once by the constructor.
    void FormCreate();
    // Shared handler of the five mode buttons: the mode is the button's tag.
    void btnMot2Click(QAbstractButton* sender);
    // The length rule: keeps the length boxes in step with the search box's text.
    void edChercheMotChange();
    // A length box changed by anyone but the rule (the user, the record, the draw).
    void edtMinLChange();
    void edtMaxLChange();
    // The search request: check, history, search of the mode, footer.
    void btnActionClick();
    // Enter runs the search, Escape does nothing; true when the key is swallowed.
    bool edChercheMotKeyPress(int key);
    // F1 opens the general help window.
    void FormKeyDown(int key);
    void btnArreterClick();
    void btnClearcboClick();
    void btnSauveClick();
    void btnInscripClick();
    void btnInfosClick();

    // True from the opening of a usable dictionary to the window's closing.
    bool DictionaryUsable() const { return dictionaryUsable_; }
    // True while the letter draw runs (it processes window events meanwhile).
    bool SearchRunning() const { return searchRunning_; }

    // The windows this one opens come in through these hooks, so that the window works
    // before they exist and tests can stand in for them.
    // The general help window (F1), shown modally.
    std::function<void()> OpenGeneralHelp;
    // The word editor, shown modally on EditedWord; false when it could not be shown.
    std::function<bool()> OpenWordEditor;
    // The information window, shown modally; it answers the server's newer dictionary
    // version when the user agreed to update, else the empty text.
    std::function<std::string()> OpenInformationWindow;
    // Starts the updater with the version; false when it cannot be started.
    std::function<bool(const std::string&)> LaunchUpdater;

    // The folder the settings record is written to at closing: the program's own folder
    // unless set (tests write elsewhere).
    void SetSettingsFolder(const QString& folder) { settingsFolder_ = folder; }
    QString SettingsPath() const;

    // IDrawPanel: what the letter draw reads and shows on this window.
    std::string MinLengthText() const override;
    std::string MaxLengthText() const override;
    void SetMaxLengthText(const std::string& s) override;
    void ShowPanel(bool visible) override;
    void SetGaugeColor(uint32_t bgr) override;
    void SetGaugeMin(int64_t v) override;
    void SetGaugeMax(int64_t v) override;
    void SetGaugeProgress(int64_t v) override;
    void SetGaugeText(const std::string& s) override;
    void SetTirageLabel(const std::string& s) override;
    void SetNMotsLabel(const std::string& s) override;
    void SetTimeLabel(const std::string& s) override;
    void RepaintResults() override;
    void ProcessMessages() override;
    bool StopAsked() const override;  // the stop button and Escape set StopRequested
    void AnswerWithoutInput() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildComponents();  // LexoMainLayout.cpp
    void ApplyMode();
    void OpenDictionary();
    int32_t LoadDictionary();
    void DictionaryUnusable(const std::exception& e);
    void ReopenIfChangedBehind();
    void EnterUnusableState(const std::string& caption, const std::string& text, const std::string& notice);
    void ReadSettings();
    bool PositionIsVisible(const QPoint& topLeft) const;
    void WriteSettings();
    void RunSearch();
    void AfterWordEditor();
    bool DrawRunning() const;
    // Shows the rule's boxes and spinner ranges.
    void ShowLengths();

    static constexpr int kProgressFontPixels = 13;  // the design size of the progress panel's texts

    bool dictionaryUsable_ = false;
    TLengthRule lengths_;
    // True while ShowLengths writes the boxes: those changes are the rule's own.
    bool settingLength_ = false;
    bool searchRunning_ = false;
    bool closePending_ = false;
    QString settingsFolder_;
};
