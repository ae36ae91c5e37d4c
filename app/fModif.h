// The word editor: the modal window in which the user adds, corrects or deletes the
// dictionary entries of the word held in EditedWord. Every change goes straight into
// the dictionary file; the logic lives in editor/WordEditor.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

#include <QDialog>

#include "WordEditor.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class TfrmModif : public QDialog {
    Q_OBJECT

public:
    // Reads the word's entries from Dictionary (FormCreate); a store error goes on to the
    // caller.
    explicit TfrmModif(QWidget* parent = nullptr);
    ~TfrmModif() override;

    // Creates the editor on EditedWord, shows it modally and releases it; true once shown.
    static bool ShowModal(QWidget* parent, const std::function<void()>& openHelp = {});

    // The editor's help window (F1), shown modally.
    std::function<void()> OpenHelp;

    // ---- Components ----
    QFrame* Panel12;
    QLabel* Label5;
    QLabel* Label4;
    QComboBox* cbListe;
    QFrame* Panel3;
    QCheckBox* cbV;
    QFrame* pnlV;
    std::array<QGroupBox*, 10> GroupBoxes;           // GroupBox1 ... GroupBox10, in tab order
    std::array<QLineEdit*, FormBoxCount> FormBoxes;  // ed111 ... ed622, order of FormBoxCodes
    QFrame* pnlListe;
    QListWidget* lbCarac;
    QFrame* pnlCancel;
    QPushButton* btnValider;
    QPushButton* btnAnnuler;
    QPushButton* btnSupprimer;
    QFrame* pnlValide;
    QLabel* Label61;
    QLabel* lblValide;
    QPushButton* btnOui;
    QPushButton* btnNon;
    QFrame* pnlSupprimer;
    QLabel* lblSupprime;
    QLabel* lblToDelete;
    QPushButton* btnOuiSupprime;
    QPushButton* btnNonSupprime;

    // The snapshots: taken when an entry is shown, and at validation.
    TLeMot BeforeLeMot;
    TLeMot AfterLeMot;
    // The entry shown, with the lines it was read from: a change removes those lines.
    TShownEntry Shown;

    // ---- Handlers ----
    void FormCreate();
    void cbListeChange();
    void cbVClick();
    void lbCaracEnter();
    void btnValiderClick();
    void btnAnnulerClick();
    void btnSupprimerClick();
    void btnOuiClick();
    void btnNonClick();
    void btnOuiSupprimeClick();
    void btnNonSupprimeClick();
    void FormKeyDown(int key);

    void ReadLeMot(TLeMot& r) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildComponents();
    void BuildFormBoxes();
    int SelectedRow() const;
    void SelectRow(int row);
    // Shows or hides a confirmation panel; while one is shown the rest of the window is
    // disabled, so that its Oui writes the difference it was asked for.
    void ShowConfirmation(QFrame* panel, bool shown);
    // Writes one change as a whole and closes the editor; on a store error (shown) the
    // question stays; when a loaded line has gone, says so and takes the question back.
    void WriteChange(QFrame* question, const std::vector<TEditStep>& steps);
};
