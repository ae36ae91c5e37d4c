#include "LexoMain.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>

#include "CoolGauge.h"
#include "ElapsedTime.h"
#include "Global.h"
#include "MainSettings.h"
#include "ResultList.h"
#include "RichEditResultArea.h"
#include "SaveAndHandOver.h"
#include "SearchDriver.h"
#include "Searches.h"
#include "UpDown.h"
#include "cp1252.h"
#include "fModif.h"
#include "fHlpGen.h"
#include "fHlpMod.h"
#include "fInfos.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"
#include "tabfile.h"

using gui::Guarded;

namespace LexoMain {
TSearchMode SearchMode = smWord;
std::unique_ptr<::ResultList> ResultList;
}  // namespace LexoMain

using LexoMain::SearchMode;

namespace {

// The dictionary file and its version mark, looked for in the current folder.
constexpr const char* kDictionaryName = kDictionaryFileName;
constexpr const char* kRepairVersion = "LEX00000";
constexpr const char* kStartCaption = " Lexorama v4.2   ~   ";
// The contact addresses that end the window's caption: the maker's when a dictionary
// is open, the product's when none could be opened.
constexpr const char* kProductMail = "lexorama@lexorama.fr";
constexpr int kResultListCapacity = 5500;

// Runs a function when the scope ends, however it ends.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};

// The number typed in a length box; false when the box holds none (empty while the
// user retypes it, or a text that is no number).
bool BoxNumber(const QLineEdit* box, int& value) {
    bool ok = false;
    const int v = box->text().toInt(&ok, 10);
    if (ok) value = v;
    return ok;
}

int ToGaugeValue(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::vector<std::string> ComboItems(const QComboBox* combo) {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(combo->count()));
    for (int i = 0; i < combo->count(); ++i) items.push_back(gui::FromQt(combo->itemText(i)));
    return items;
}

}  // namespace

TfMain::TfMain(QWidget* parent) : QWidget(parent) {
    LaunchUpdater = [](const std::string& version) { return StartUpdater(version); };
    // The editor's help opens over the editor, the modal window of the moment.
    OpenWordEditor = [this] {
        return TfrmModif::ShowModal(this, [] { TfrmHlpMod(QApplication::activeModalWidget()).exec(); });
    };
    OpenGeneralHelp = [this] { TfrmHlpGen(this).exec(); };
    OpenInformationWindow = [this] {
        TfrmInfos infos(this);
        infos.exec();
        return infos.ServerVersion;
    };
    BuildComponents();
    Guarded([this] { FormCreate(); });
}

TfMain::~TfMain() = default;

// ---- Creation -------------------------------------------------------------------------

void TfMain::FormCreate() {
    LexoMain::ResultList = std::make_unique<::ResultList>(kResultListCapacity);

    // The length boxes take digits only.
    const QRegularExpression digits(QStringLiteral("[0-9]*"));
    edtMinL->setValidator(new QRegularExpressionValidator(digits, edtMinL));
    edtMaxL->setValidator(new QRegularExpressionValidator(digits, edtMaxL));

    for (QWidget* w :
         {static_cast<QWidget*>(pnlBtn), static_cast<QWidget*>(pnlAffiche), static_cast<QWidget*>(pnlTirageInterne)}) {
        gui::SetBackground(w, gui::clSilver);
        gui::KeepDisabledTextReadable(w);
    }
    gui::SetFieldColours(cboChercheMot, false);
    gui::SetBackground(RichEdit1, gui::clLightIvory);

    ShowLengths();
    SearchMode = smWord;

    setWindowTitle(gui::ToQt(kStartCaption));

    if (QFileInfo::exists(QString::fromLatin1(kDictionaryName))) {
        OpenDictionary();
        return;
    }
    const std::string n = kDictionaryName;
    EnterUnusableState("Dictionnaire absent",
                       n + " absent.\r\n" + A("Le fichier ") + n + A(" n'a pas été trouvé.") +
                           "\r\nVous ne pourrez pas exploiter Lexorama.",
                       "Fichier " + n + " absent, vous ne pouvez pas exploiter Lexorama.");
}

void TfMain::OpenDictionary() {
    std::string caption;
    try {
        // The count shown is the one before any repair.
        const int32_t count = LoadDictionary();
        caption = std::to_string(std::max(count - 1, 0)) + " mots   ~   " + kMakerMail;
    } catch (const std::exception& e) {
        DictionaryUnusable(e);
        return;
    }
    dictionaryUsable_ = true;
    setWindowTitle(windowTitle() + gui::ToQt(caption));
    ReadSettings();
    ApplyMode();
    // The user starts typing at once: the focus waits in the search box.
    cboChercheMot->setFocus();
}

int32_t TfMain::LoadDictionary() {
    // Any earlier holder lets go first: the file admits one writer at a time.
    Dictionary.reset();
    // A dictionary that may only be read (a read-only file, a journal in the way) is
    // still searched; the box says why no word can be changed.
    ITabStringsPtr dict = TTabStringsFile::CreateForSearching(kDictionaryName);
    // An empty file is a dictionary without words, which gets its version lines
    // below like any file that lacks them.
    const int32_t count = dict->GetCount();
    const std::string line0 = count > 0 ? dict->Get(0) : std::string();
    DictionaryVersion = line0.size() > 44 ? line0.substr(44, 9) : std::string();
    if (DictionaryVersion.compare(0, 3, "LEX") != 0) {
        // Every merged dictionary lies between two version lines; a file without
        // them gets the neutral version, so that any server version counts as newer.
        DictionaryVersion = kRepairVersion;
        if (dict->CanChange()) {
            dict->Insert(0, VersionLine(kRepairVersion));
            dict->Add(VersionLine(kRepairVersion));
        }
    }
    Dictionary = std::move(dict);
    if (const std::string warning = Dictionary->OpenWarning(); !warning.empty())
        ShowMessageBox(A("Ouverture du dictionnaire"), warning, MB_ICONEXCLAMATION);
    return count;
}

// A file that exists but cannot be used (read-only, held by another writer, no line at
// all): no search may run against it, so the window works as without one.
void TfMain::DictionaryUnusable(const std::exception& e) {
    const std::string n = kDictionaryName;
    Dictionary.reset();
    EnterUnusableState("Dictionnaire inutilisable",
                       n + " inutilisable.\r\n" + e.what() + "\r\nVous ne pourrez pas exploiter Lexorama.",
                       "Fichier " + n + " inutilisable, vous ne pouvez pas exploiter Lexorama.");
}

// The lock keeps out only the programs that ask for it: another one may have cut the
// dictionary short, added to it or put another file in its place. The file now under
// its name is opened again, so that the search reads it and the editor's changes go to
// it, and the caption shows its word count.
void TfMain::ReopenIfChangedBehind() {
    if (!Dictionary || !Dictionary->IsChangedBehind()) return;
    try {
        LoadDictionary();
    } catch (const std::exception& e) {
        setWindowTitle(gui::ToQt(kStartCaption));
        DictionaryUnusable(e);
        return;
    }
    setWindowTitle(gui::ToQt(CaptionAfterEdit(Dictionary->GetCount())));
}

void TfMain::EnterUnusableState(const std::string& caption, const std::string& text, const std::string& notice) {
    dictionaryUsable_ = false;
    setWindowTitle(windowTitle() + gui::ToQt(kProductMail));
    ShowMessageBox(caption, text, MB_ICONEXCLAMATION);
    for (QWidget* w : std::initializer_list<QWidget*>{btnMot, btnAna, btnCon, btnMasque, btnTirage, btnAction,
                                                      btnInscrip, btnSauve, btnClearcbo, cboChercheMot, Label1, rbAlpha,
                                                      rbLong, rbCourt, Label2, rbMotSeul, rbMotAnalyse, cbNP})
        w->setEnabled(false);
    raise();
    RichEdit1->Clear();
    RichEdit1->AddLine("\r\n\r\n\r\n");
    RichEdit1->AddLine(" ");
    RichEdit1->AddLine(std::string(41, ' ') + notice);
    RichEdit1->AddLine(std::string(40, ' ') + std::string(55, '_'));
}

// A damaged record, or one written under another screen layout, must not put the
// window where nobody can see it: such a position is ignored and the window stays
// centred.
bool TfMain::PositionIsVisible(const QPoint& topLeft) const {
    const QRect wanted(topLeft, size());
    const QScreen* screen = QGuiApplication::screenAt(wanted.center());
    return screen && screen->availableGeometry().contains(wanted.center());
}

void TfMain::ReadSettings() {
    TMainSettings s;
    const TSettingsLoadResult r = s.Load(TMainSettings::ReadPath());
    if (r.Found) {
        if (s.HasPosition && PositionIsVisible(QPoint(s.Left, s.Top))) move(s.Left, s.Top);
        cbNP->setChecked(s.ProperNouns);
        // The record holds only modes it could read; any other keeps the first.
        SearchMode = ModeFromNumber(s.Mode).value_or(smWord);
        edtMinL->setText(gui::ToQt(s.MinLength));
        edtMaxL->setText(gui::ToQt(s.MaxLength));
        int v = 0;
        if (BoxNumber(edtMinL, v)) UpDown1->SetPosition(v);
        if (BoxNumber(edtMaxL, v)) UpDown2->SetPosition(v);
        (s.SortOrder == 0 ? rbAlpha : s.SortOrder == 1 ? rbLong : rbCourt)->setChecked(true);
        (s.DisplayMode == 0 ? rbMotSeul : rbMotAnalyse)->setChecked(true);
        for (const std::string& item : s.HistoryItems()) cboChercheMot->addItem(gui::ToQt(item));
        if (cboChercheMot->count() > 0) cboChercheMot->setCurrentIndex(0);
    } else {
        lengths_.FirstStart();
        ShowLengths();
    }
    // What could not be read keeps its initial value; the user learns what was lost.
    if (!r.Problems.empty()) ShowMessageBox(TMainSettings::LoadProblemCaption(), r.ProblemsText(), MB_ICONEXCLAMATION);
}

// ---- Mode panel and length rule -----------------------------------------------------------

void TfMain::btnMot2Click(QAbstractButton* sender) {
    // The draw reads the mode's controls while it runs: the mode stays until it ends.
    if (searchRunning_ || sender == nullptr) return;
    // The tag is the mode's number.
    const std::optional<TSearchMode> mode = ModeFromNumber(sender->property("tag").toInt());
    if (!mode) return;
    SearchMode = *mode;
    ApplyMode();
}

void TfMain::ApplyMode() {
    const std::initializer_list<QWidget*> lengthControls{lblL1, edtMinL, UpDown1, lblL2, edtMaxL, UpDown2, lblL3};
    const TModeTraits& mode = ModeTraits(SearchMode);
    for (QWidget* w : lengthControls) w->hide();
    btnAction->setText(gui::U(mode.actionCaption));
    if (mode.lengths != TModeLengths::None) {
        for (QWidget* w : lengthControls) w->show();
        edChercheMotChange();
    }
    btnInscrip->setVisible(mode.editorButton);
    pnlTri->setVisible(mode.sortPanel);
    pnlListe->setVisible(mode.displayPanel);
    cbNP->setVisible(mode.properNouns);
}

void TfMain::edChercheMotChange() {
    btnClearcbo->setEnabled(dictionaryUsable_ && cboChercheMot->count() > 0);
    lengths_.InputChanged(SearchMode, gui::FromQt(cboChercheMot->currentText()));
    ShowLengths();
}

void TfMain::edtMinLChange() {
    if (settingLength_) return;
    lengths_.MinSet(gui::FromQt(edtMinL->text()));
    ShowLengths();
}

void TfMain::edtMaxLChange() {
    if (settingLength_) return;
    lengths_.MaxSet(gui::FromQt(edtMaxL->text()));
    ShowLengths();
}

void TfMain::ShowLengths() {
    // Set again afterwards: this may run inside a box's change handler.
    const bool outer = settingLength_;
    settingLength_ = true;
    const ScopeExit done([this, outer] { settingLength_ = outer; });
    // A box is written only when its text changes, so that the caret of a box being
    // typed in stays where it is.
    for (const auto& [box, text] : {std::pair{edtMinL, &lengths_.MinText()}, std::pair{edtMaxL, &lengths_.MaxText()}})
        if (gui::FromQt(box->text()) != *text) {
            box->setText(gui::ToQt(*text));
            box->repaint();
        }
    UpDown1->SetMin(lengths_.MinLow());
    UpDown1->SetMax(lengths_.MinHigh());
    UpDown2->SetMin(lengths_.MaxLow());
    UpDown2->SetMax(lengths_.MaxHigh());
}

// ---- Search request -----------------------------------------------------------------------

// While a search runs, the window may process events (the letter draw does, so that its
// stop button works). Everything that would start another search, change the mode or
// free what the running search uses is refused meanwhile: the search button and Enter,
// the mode buttons, the word editor, the information window, saving and clearing; a
// close request stops the draw and closes the window once the search has returned.
void TfMain::btnActionClick() {
    if (searchRunning_) return;
    const std::string text = TrimInput(gui::FromQt(cboChercheMot->currentText()));
    cboChercheMot->setEditText(gui::ToQt(text));
    const std::string caption = gui::FromQt(btnAction->text());
    std::string message;
    if (!CheckInput(SearchMode, text, caption, message)) {
        ShowMessageBox(caption, message, MB_ICONEXCLAMATION);
        cboChercheMot->setFocus();
        // The whole text selected, so that the next one typed replaces it.
        cboChercheMot->lineEdit()->selectAll();
        return;
    }
    // Never a search against no dictionary (the search controls are then disabled).
    if (!dictionaryUsable_ || !Dictionary || !LexoMain::ResultList) return;
    ReopenIfChangedBehind();
    if (!dictionaryUsable_) return;
    if (ModeTraits(SearchMode).lengths != TModeLengths::None) {
        lengths_.Normalise();
        ShowLengths();
    }

    const uint32_t start = TickCount();
    searchRunning_ = true;
    {
        gui::HourglassCursor hourglass;
        const ScopeExit done([this] {
            // A search that fails leaves no update block open and no draw panel shown.
            while (RichEdit1->UpdateDepth() > 0) RichEdit1->EndUpdate();
            pnlTirage->hide();
            StopRequested = false;
            searchRunning_ = false;
            if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
        });

        RichEdit1->Clear();

        std::vector<std::string> items = ComboItems(cboChercheMot);
        const std::string s = InputText(text);
        UpdateHistory(items, *LexoMain::ResultList, s);
        {
            const QSignalBlocker block(cboChercheMot);
            cboChercheMot->clear();
            for (const std::string& item : items) cboChercheMot->addItem(gui::ToQt(item));
        }
        cboChercheMot->setEditText(gui::ToQt(s));
        btnClearcbo->setEnabled(cboChercheMot->count() > 0);

        RunSearch();

        WriteFooter(*RichEdit1, TickCount() - start);
        RichEdit1->ScrollToTop();
        // The caret stands after the first character, on the result's first line.
        QTextCursor caret = RichEdit1->textCursor();
        caret.setPosition(std::min(1, RichEdit1->document()->characterCount() - 1));
        RichEdit1->setTextCursor(caret);
        if (!RichEdit1->IsEmpty()) RichEdit1->setFocus();
    }
    gui::Beep();
}

void TfMain::RunSearch() {
    // The search holds its own reference, whatever happens to the global meanwhile.
    const ITabStringsPtr dictionary = Dictionary;
    const std::string text = gui::FromQt(cboChercheMot->currentText());
    ::ResultList& results = *LexoMain::ResultList;

    const TModeTraits& mode = ModeTraits(SearchMode);
    if (mode.search == nullptr) {
        DrawOptions draw;
        draw.alphabetical = rbAlpha->isChecked();
        draw.longestFirst = rbLong->isChecked();
        draw.shortestFirst = rbCourt->isChecked();
        draw.withAnalysis = rbMotAnalyse->isChecked();
        draw.properNouns = cbNP->isChecked();
        StopRequested = false;
        SearchDraw(*dictionary, text, draw, results, *RichEdit1, *this);
        pnlTirage->hide();
        StopRequested = false;
        return;
    }

    SearchOptions options;
    options.text = text;
    options.withAnalysis = rbMotAnalyse->isChecked();
    options.longestFirst = rbLong->isChecked();
    options.shortestFirst = rbCourt->isChecked();
    options.properNouns = cbNP->isChecked();
    // The masked words are bounded by the two length boxes; the search reads them.
    options.minLengthText = gui::FromQt(edtMinL->text());
    options.maxLengthText = gui::FromQt(edtMaxL->text());
    SearchContext ctx{*dictionary, options, results, *RichEdit1};
    mode.search(ctx);
}

bool TfMain::edChercheMotKeyPress(int key) {
    if (key == Qt::Key_Escape && DrawRunning()) {
        Guarded([this] { btnArreterClick(); });
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Guarded([this] { btnActionClick(); });
        return true;
    }
    return key == Qt::Key_Escape;
}

void TfMain::FormKeyDown(int key) {
    // The general help window is shown modally from here once it is plugged in.
    if (key == Qt::Key_F1 && OpenGeneralHelp) OpenGeneralHelp();
}

void TfMain::btnArreterClick() {
    // The draw stops inside one of its update blocks and leaves it open; a second click
    // before it has stopped must not close a block it does not hold.
    if (StopRequested) return;
    StopRequested = true;
    RichEdit1->EndUpdate();
}

void TfMain::btnClearcboClick() {
    if (searchRunning_) return;
    if (ShowMessageBox(A("Effacer la liste des recherches"),
                       A("Etes vous certain de vouloir effacer la liste des recherches ?"),
                       MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2) != IDYES)
        return;
    cboChercheMot->clear();
    cboChercheMot->setEditText(QString());
    btnClearcbo->setEnabled(false);
    RichEdit1->Clear();
}

// ---- Saving, word editor, updater -----------------------------------------------------

void TfMain::btnSauveClick() {
    if (searchRunning_ || RichEdit1->IsEmpty()) return;
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The overwrite question is the program's own, below.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(SaveFilter().split(QStringLiteral(";;")));
    dialog.selectNameFilter(SaveFilterName(SaveFormat::PlainText));
    dialog.setDefaultSuffix(QString::fromLatin1(kSaveDefaultExtension));
    // A name typed without an extension takes that of the format chosen.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        dialog.setDefaultSuffix(QString::fromLatin1(SaveExtension(SaveFormatForFilter(filter))));
    });
    dialog.selectFile(gui::ToQt(ProposedSaveName(gui::FromQt(cboChercheMot->currentText()))));
    SaveFormat format = SaveFormat::PlainText;
    QString path;
    // The user is asked to choose another file: the dialog comes back until they do or
    // cancel.
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        format = SaveFormatForFilter(dialog.selectedNameFilter());
        path = CompleteSaveName(dialog.selectedFiles().constFirst(), format);
        if (!IsDictionaryFile(QFile::encodeName(path).toStdString(), Dictionary.get())) break;
        ShowMessageBox(SaveOverDictionaryCaption(), SaveOverDictionaryText(gui::FromQt(QDir::toNativeSeparators(path))),
                       MB_ICONEXCLAMATION);
    }
    if (QFileInfo::exists(path) &&
        ShowMessageBox(OverwriteCaption(), OverwriteQuestion(gui::FromQt(QDir::toNativeSeparators(path))),
                       kOverwriteFlags) != IDYES)
        return;
    SaveResults(path, format, *RichEdit1);
}

void TfMain::btnInscripClick() {
    if (searchRunning_ || !dictionaryUsable_) return;
    if (!QFileInfo::exists(QString::fromLatin1(kDictionaryName))) return;
    std::string message;
    std::string edited;
    switch (CheckEditorInput(gui::FromQt(cboChercheMot->currentText()), message, edited)) {
        case EditorInput::Ignore: return;
        case EditorInput::Refused:
            ShowMessageBox(EditorEntryCaption(), message, MB_ICONEXCLAMATION);
            cboChercheMot->setFocus();
            return;
        case EditorInput::Accepted: break;
    }
    // The editor reads and changes the file now under the dictionary's name.
    ReopenIfChangedBehind();
    if (!dictionaryUsable_) return;
    EditedWord = edited;
    // The word editor window opens here, modally, once it is plugged in; without it
    // there is nothing to search again.
    if (!OpenWordEditor || !OpenWordEditor()) return;
    AfterWordEditor();
}

void TfMain::AfterWordEditor() {
    // Every change of the editor is already in the file: the count is the new one.
    if (Dictionary) setWindowTitle(gui::ToQt(CaptionAfterEdit(Dictionary->GetCount())));
    cboChercheMot->setEditText(gui::ToQt(EditedWord));
    SearchMode = smWord;
    btnActionClick();
}

void TfMain::btnInfosClick() {
    if (searchRunning_) return;
    // The information window opens here, modally, once it is plugged in.
    const std::string version = OpenInformationWindow ? OpenInformationWindow() : std::string();
    if (version.empty()) return;
    if (!LaunchUpdater || !LaunchUpdater(version)) {
        ShowMessageBox(UpdaterErrorCaption(), UpdaterErrorText(), MB_ICONEXCLAMATION);
        return;
    }
    // The updater rewrites the dictionary: closing lets the file go.
    close();
}

// ---- Closing --------------------------------------------------------------------------

QString TfMain::SettingsPath() const {
    const std::string folder = settingsFolder_.isEmpty()
                                   ? QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()
                                   : gui::FromQt(settingsFolder_);
    return gui::ToQt(TMainSettings::WritePath(folder));
}

void TfMain::WriteSettings() {
    TMainSettings s;
    s.Left = x();
    s.Top = y();
    s.ProperNouns = cbNP->isChecked();
    s.Mode = SearchMode;
    s.LastSearch = gui::FromQt(cboChercheMot->currentText());
    s.SortOrder = rbAlpha->isChecked() ? 0 : rbLong->isChecked() ? 1 : 2;
    s.DisplayMode = rbMotSeul->isChecked() ? 0 : 1;
    s.MinLength = gui::FromQt(edtMinL->text());
    s.MaxLength = gui::FromQt(edtMaxL->text());
    s.SetHistory(ComboItems(cboChercheMot));
    const std::string path = gui::FromQt(SettingsPath());
    if (!s.Save(path))
        ShowMessageBox(TMainSettings::SaveErrorCaption(), TMainSettings::SaveErrorText(path),
                       MB_ICONEXCLAMATION | MB_OK);
}

void TfMain::closeEvent(QCloseEvent* event) {
    if (searchRunning_) {
        // The draw still uses the dictionary and the lists: stop it, and close once it
        // has returned.
        StopRequested = true;
        closePending_ = true;
        event->ignore();
        return;
    }
    closePending_ = false;
    Guarded([this] { WriteSettings(); });
    Dictionary.reset();
    dictionaryUsable_ = false;
    if (LexoMain::ResultList) {
        LexoMain::ResultList->Clear();
        LexoMain::ResultList.reset();
    }
    event->accept();
}

bool TfMain::DrawRunning() const { return searchRunning_ && !pnlTirage->isHidden(); }

void TfMain::keyPressEvent(QKeyEvent* event) {
    // Escape interrupts the draw wherever the focus is, as Arrêter does.
    if (event->key() == Qt::Key_Escape && DrawRunning()) {
        event->accept();
        Guarded([this] { btnArreterClick(); });
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == cboChercheMot || watched == cboChercheMot->lineEdit()) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return edChercheMotKeyPress(key);
        // The box steps from the item it shows; a text that is none of them (emptied
        // or typed) steps to the newest search, not to the one after the last shown.
        if (key == Qt::Key_Down && cboChercheMot->count() > 0 &&
            cboChercheMot->currentText() != cboChercheMot->itemText(cboChercheMot->currentIndex())) {
            cboChercheMot->setCurrentIndex(0);
            cboChercheMot->setEditText(cboChercheMot->itemText(0));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- What the letter draw shows on this window ------------------------------------------

std::string TfMain::MinLengthText() const { return gui::FromQt(edtMinL->text()); }
std::string TfMain::MaxLengthText() const { return gui::FromQt(edtMaxL->text()); }
void TfMain::SetMaxLengthText(const std::string& s) { edtMaxL->setText(gui::ToQt(s)); }
void TfMain::ShowPanel(bool visible) {
    pnlTirage->setVisible(visible);
    // The stop button takes the focus, so that a screen reader names the running draw
    // and Enter or Space stop it.
    if (visible) btnArreter->setFocus();
}
void TfMain::SetGaugeColor(uint32_t bgr) { cgGauge->SetForeColor1(bgr); }
void TfMain::SetGaugeMin(int64_t v) { cgGauge->SetMinValue(ToGaugeValue(v)); }
void TfMain::SetGaugeMax(int64_t v) { cgGauge->SetMaxValue(ToGaugeValue(v)); }
void TfMain::SetGaugeProgress(int64_t v) { cgGauge->SetProgress(ToGaugeValue(v)); }
void TfMain::SetGaugeText(const std::string& s) { cgGauge->SetText(s); }
// The progress texts grow with the draw's numbers; they must stay readable whole in
// their boxes.
void TfMain::SetTirageLabel(const std::string& s) { gui::FitLabelText(lblTirage, gui::ToQt(s), kProgressFontPixels); }
void TfMain::SetNMotsLabel(const std::string& s) { gui::FitLabelText(lblNMots, gui::ToQt(s), kProgressFontPixels); }
void TfMain::SetTimeLabel(const std::string& s) { gui::FitLabelText(lblTime, gui::ToQt(s), kProgressFontPixels); }
void TfMain::RepaintResults() { RichEdit1->viewport()->repaint(); }
void TfMain::ProcessMessages() { QCoreApplication::processEvents(); }
bool TfMain::StopAsked() const { return StopRequested; }
void TfMain::AnswerWithoutInput() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
