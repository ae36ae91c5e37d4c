// The message window: its layout for the cases the programs meet, its button sets and
// results, Escape and the close box, and the answers tests give in its place.
#include <algorithm>
#include <cmath>
#include <memory>

#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QtTest>

#include "GuiTestHelpers.h"
#include "cp1252.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

namespace {

// A box laid out and shown (not modally), as ShowMessageBox would show it.
std::unique_ptr<TfrmMessageBox> Show(const std::string& caption, const std::string& text, int flags) {
    auto box = std::make_unique<TfrmMessageBox>();
    box->MessageCaption = caption;
    box->MessageText = text;
    box->MessageFlags = flags;
    box->show();
    return box;
}

// A width in the window's own font, rounded up as the layout does.
int TextWidth(const TfrmMessageBox& box, const std::string& ansi) {
    return static_cast<int>(std::ceil(QFontMetricsF(box.font()).horizontalAdvance(gui::ToQt(ansi))));
}

QStringList VisibleButtonsLeftToRight(const TfrmMessageBox& box) {
    QList<QPushButton*> shown;
    for (QPushButton* b : box.findChildren<QPushButton*>()) {
        if (!b->isHidden()) shown.append(b);
    }
    std::sort(shown.begin(), shown.end(), [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    QStringList names;
    for (QPushButton* b : shown) names << b->objectName();
    return names;
}

QString VisibleIcon(const TfrmMessageBox& box) {
    QString name;
    for (QLabel* l : box.findChildren<QLabel*>()) {
        if (l->objectName().startsWith(QLatin1String("imgICON")) && !l->isHidden()) {
            if (!name.isEmpty()) return QStringLiteral("several");
            name = l->objectName();
        }
    }
    return name;
}

}  // namespace

class TestMessageBox : public QObject {
    Q_OBJECT

private slots:
    // The program's own application set-up: Enter on a focused button comes from it.
    void initTestCase() { gui::InitApplication(*qApp, QStringLiteral("Lexorama")); }

    void cleanup() {
        MessageBoxTesting::SetAutoAnswer(false);
        MessageBoxTesting::ClearLog();
    }

    void oneLineWithoutIcon() {
        const std::string text = A("Le mot a été ajouté au dictionnaire.");
        auto box = Show("Lexorama", text, MB_OK);
        const int w = TextWidth(*box, text);
        QCOMPARE(box->MemoBox->geometry().topLeft(), QPoint(8, 8));
        QCOMPARE(box->MemoBox->height(), 16);
        QCOMPARE(box->btnOk->y(), 32);
        QCOMPARE(box->height(), 86);
        QCOMPARE(box->width(), 8 + w + 8 + 14);
        QCOMPARE(box->MemoBox->width(), w + 8);
        QCOMPARE(box->btnOk->x(), box->width() / 2 - 40);
        QCOMPARE(box->btnOk->size(), QSize(75, 25));
        QCOMPARE(VisibleIcon(*box), QString());
        QCOMPARE(box->windowTitle(), QStringLiteral("Lexorama"));
        QCOMPARE(box->MemoBox->toPlainText(), gui::ToQt(text));
    }

    void veryShortTextTakesTheMinimumWidth() {
        auto box = Show("A", "Ok", MB_OK);
        QCOMPARE(box->width(), 96);
        QCOMPARE(box->btnOk->x(), 8);
        // The text area fills the window less its margins.
        QCOMPARE(box->MemoBox->width(), 96 - 14 - 8);
    }

    void iconAndLineCount_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("textTop");
        QTest::addColumn<int>("iconTop");
        QTest::addColumn<int>("buttonTop");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("icon");
        QTest::newRow("one line") << 64 << "Une ligne." << 1 << 24 << 8 << 64 << 118 << "imgICONINFORMATION";
        QTest::newRow("two lines") << 48 << "Une\r\nDeux" << 2 << 16 << 8 << 64 << 118 << "imgICONEXCLAMATION";
        QTest::newRow("three lines") << 32 << "Une\r\nDeux\r\nTrois" << 3 << 8 << 12 << 64 << 118 << "imgICONQUESTION";
        QTest::newRow("four lines") << 16 << "1\r\n2\r\n3\r\n4" << 4 << 8 << 20 << 80 << 134 << "imgICONSTOP";
        QTest::newRow("final CR LF not a line") << 64 << "Une ligne.\r\n"
                                                << 1 << 24 << 8 << 64 << 118 << "imgICONINFORMATION";
        QTest::newRow("inner empty line counts")
            << 64 << "Une\r\n\r\nTrois" << 3 << 8 << 12 << 64 << 118 << "imgICONINFORMATION";
        QTest::newRow("empty text") << 64 << "" << 0 << 8 << 8 << 64 << 118 << "imgICONINFORMATION";
        QTest::newRow("five lines") << 48 << "1\r\n2\r\n3\r\n4\r\n5" << 5 << 8 << 28 << 96 << 150
                                    << "imgICONEXCLAMATION";
    }

    void iconAndLineCount() {
        QFETCH(int, flags);
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(int, textTop);
        QFETCH(int, iconTop);
        QFETCH(int, buttonTop);
        QFETCH(int, height);
        QFETCH(QString, icon);
        auto box = Show("Lexorama", gui::FromQt(text), flags);
        QCOMPARE(VisibleIcon(*box), icon);
        QCOMPARE(box->MemoBox->x(), 64);
        QCOMPARE(box->MemoBox->y(), textTop);
        QCOMPARE(box->MemoBox->height(), 16 * lines);
        QCOMPARE(box->btnOk->y(), buttonTop);
        QCOMPARE(box->height(), height);
        // Every picture moves, shown or not.
        for (QLabel* l : {box->imgICONINFORMATION, box->imgICONEXCLAMATION, box->imgICONSTOP, box->imgICONQUESTION}) {
            QCOMPARE(l->geometry(), QRect(8, iconTop, 48, 48));
        }
    }

    void emptyTextWidensTheTextArea() {
        auto box = Show("Question", "", MB_ICONQUESTION | MB_YESNO);
        const int caption = TextWidth(*box, "Question");
        const int width = std::max({64 + 14, caption + 30, 182});
        QCOMPARE(box->width(), width);
        QCOMPARE(box->MemoBox->geometry(), QRect(64, 8, width - 14 - 64, 0));
        QCOMPARE(box->btnYes->y(), 64);
    }

    void wideCaptionSetsTheWidth() {
        const std::string caption = A("Une légende bien plus large que le texte du message");
        auto box = Show(caption, "Court.", MB_ICONINFORMATION);
        const int width = TextWidth(*box, caption) + 30;
        QCOMPARE(box->width(), width);
        QCOMPARE(box->btnOk->x(), width / 2 - 40);
        QCOMPARE(box->MemoBox->width(), width - 14 - 64);
    }

    // Long paragraphs wrap at the area's design width; every wrapped line is counted and
    // the whole text shows without scrolling.
    void longTextWrapsAtTheDesignWidth() {
        std::string text;
        for (int i = 0; i < 12; ++i) text += A("dictionnaire orthographique ");
        text += "\r\nfin";
        auto box = Show("Lexorama", text, MB_ICONEXCLAMATION);
        const int lines = box->MemoBox->height() / 16;
        QVERIFY(lines >= 4);
        const std::vector<int> widths = box->DisplayedLineWidths();
        QCOMPARE(static_cast<int>(widths.size()), lines);
        QVERIFY(box->MemoBox->width() <= TfrmMessageBox::TextWrapWidth);
        QCOMPARE(box->MemoBox->width(), *std::max_element(widths.begin(), widths.end()) + 8);
        QCOMPARE(qRound(box->MemoBox->document()->size().height()), box->MemoBox->height());
        QCOMPARE(box->btnOk->y(), 8 + 16 * lines + 8);
        // The lines shown are the lines counted: the document wraps at the same width.
        int shown = 0;
        for (QTextBlock b = box->MemoBox->document()->begin(); b.isValid(); b = b.next())
            shown += b.layout()->lineCount();
        QCOMPARE(shown, lines);
    }

    void buttonSets_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("minWidth");
        QTest::addColumn<int>("offset");
        const QStringList ok{"btnOk"}, okCancel{"btnOk", "btnCancel"}, ari{"btnAbort", "btnRetry", "btniGNORE"},
            ync{"btnYes", "btnNO", "btnCancel"}, yn{"btnYes", "btnNO"}, rc{"btnRetry", "btnCancel"};
        QTest::newRow("0") << 0 << ok << 96 << 40;
        QTest::newRow("1") << 1 << okCancel << 182 << 80;
        QTest::newRow("2") << 2 << ari << 265 << 123;
        QTest::newRow("3") << 3 << ync << 265 << 123;
        QTest::newRow("4") << 4 << yn << 182 << 80;
        QTest::newRow("5") << 5 << rc << 182 << 80;
        QTest::newRow("6 falls to yes/no") << 6 << yn << 182 << 80;
        QTest::newRow("7 falls to retry/cancel") << 7 << rc << 182 << 80;
        QTest::newRow("292 question yes/no") << 292 << yn << 182 << 80;
        QTest::newRow("308 warning yes/no") << 308 << yn << 182 << 80;
        QTest::newRow("default bits ignored") << (0x300 | 1) << okCancel << 182 << 80;
    }

    void buttonSets() {
        QFETCH(int, flags);
        QFETCH(QStringList, buttons);
        QFETCH(int, minWidth);
        QFETCH(int, offset);
        // Narrow: the set's minimum width, first button at 8.
        auto narrow = Show("", "x", flags);
        QCOMPARE(VisibleButtonsLeftToRight(*narrow), buttons);
        QCOMPARE(narrow->width(), minWidth);
        int left = 8;
        for (const QString& name : buttons) {
            auto* b = narrow->findChild<QPushButton*>(name);
            QCOMPARE(b->x(), left);
            QVERIFY(!b->isDefault());
            QVERIFY(!b->autoDefault());
            left += 85;
        }
        // Wide: the set centred on the window.
        const std::string longLine(60, 'W');
        auto wide = Show("", longLine, flags);
        QVERIFY(wide->width() > minWidth);
        left = wide->width() / 2 - offset;
        for (const QString& name : buttons) {
            QCOMPARE(wide->findChild<QPushButton*>(name)->x(), left);
            left += 85;
        }
    }

    void iconChoice_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("icon");
        QTest::newRow("308 warning first") << 308 << "imgICONEXCLAMATION";
        QTest::newRow("292 question") << 292 << "imgICONQUESTION";
        QTest::newRow("information and stop") << (0x40 | 0x10) << "imgICONINFORMATION";
        QTest::newRow("information and question") << (0x40 | 0x20) << "imgICONINFORMATION";
        QTest::newRow("all icon bits") << 0x70 << "imgICONEXCLAMATION";
    }

    void iconChoice() {
        QFETCH(int, flags);
        QFETCH(QString, icon);
        auto box = Show("Lexorama", "Texte", flags);
        QCOMPARE(VisibleIcon(*box), icon);
    }

    void everyButtonsResult_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("Oui") << 3 << "btnYes" << 6;
        QTest::newRow("Non") << 3 << "btnNO" << 7;
        QTest::newRow("Annuler") << 3 << "btnCancel" << 2;
        QTest::newRow("Arreter") << 2 << "btnAbort" << 3;
        QTest::newRow("Reessayer") << 2 << "btnRetry" << 4;
        QTest::newRow("Ignorer") << 2 << "btniGNORE" << 5;
        QTest::newRow("Ok") << 1 << "btnOk" << 1;
    }

    void buttonCaptions() {
        TfrmMessageBox box;
        QCOMPARE(box.btnYes->text(), QString::fromUtf8("Oui"));
        QCOMPARE(box.btnNO->text(), QString::fromUtf8("Non"));
        QCOMPARE(box.btnAbort->text(), QString::fromUtf8("Arrêter"));
        QCOMPARE(box.btnRetry->text(), QString::fromUtf8("Réessayer"));
        QCOMPARE(box.btnOk->text(), QString::fromUtf8("Ok"));
        QCOMPARE(box.btnCancel->text(), QString::fromUtf8("Annuler"));
        QCOMPARE(box.btniGNORE->text(), QString::fromUtf8("Ignorer"));
        QVERIFY(box.btnOk->font().bold());
    }

    void everyButtonsResult() {
        QFETCH(int, flags);
        QFETCH(QString, button);
        QFETCH(int, result);
        auto box = Show("Lexorama", "Texte", flags);
        QTest::mouseClick(box->findChild<QPushButton*>(button), Qt::LeftButton);
        QVERIFY(!box->isVisible());
        QCOMPARE(box->result(), result);
    }

    void escapeAnswersOnlyWithAnnuler() {
        auto withCancel = Show("Lexorama", "Texte", MB_YESNOCANCEL);
        QTest::keyClick(withCancel->MemoBox, Qt::Key_Escape);
        QVERIFY(!withCancel->isVisible());
        QCOMPARE(withCancel->result(), IDCANCEL);

        auto without = Show("Lexorama", "Texte", MB_ICONQUESTION | MB_YESNO);
        QTest::keyClick(without->MemoBox, Qt::Key_Escape);
        QTest::keyClick(without->btnNO, Qt::Key_Escape);
        QVERIFY(without->isVisible());
        // The close box still ends it with Annuler's value.
        QVERIFY(without->close());
        QCOMPARE(without->result(), IDCANCEL);
    }

    void escapeAndEnterCloseAnOkAlone() {
        for (const int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            auto box = Show("Lexorama", "Texte", MB_ICONEXCLAMATION);
            box->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(box.get()));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box->MemoBox));
            QTest::keyClick(box->MemoBox, Qt::Key(key));
            QVERIFY(!box->isVisible());
            QCOMPARE(box->result(), IDOK);
        }
        // Ok with Annuler keeps its rules: Escape is Annuler, Enter in the text nothing.
        auto both = Show("Lexorama", "Texte", MB_OKCANCEL);
        QTest::keyClick(both->MemoBox, Qt::Key_Return);
        QVERIFY(both->isVisible());
        QTest::keyClick(both->MemoBox, Qt::Key_Escape);
        QCOMPARE(both->result(), IDCANCEL);
    }

    void enterPressesOnlyTheFocusedButton() {
        auto box = Show("Lexorama", "Texte", MB_YESNO);
        QTest::keyClick(box->MemoBox, Qt::Key_Return);
        QVERIFY(box->isVisible());
        box->btnNO->setFocus();
        QTest::keyClick(box->btnNO, Qt::Key_Return);
        QVERIFY(!box->isVisible());
        QCOMPARE(box->result(), IDNO);
        // The keypad's Enter does the same.
        auto other = Show("Lexorama", "Texte", MB_RETRYCANCEL);
        other->btnRetry->setFocus();
        QTest::keyClick(other->btnRetry, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(other->result(), IDRETRY);
    }

    void textAreaTakesTheFocusFirst() {
        auto box = Show("Lexorama", "Texte", MB_OKCANCEL);
        box->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(box.get()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box->MemoBox));
        QVERIFY(box->MemoBox->isReadOnly());
        // Tab leaves the text area for the first shown button, skipping the hidden ones.
        QTest::keyClick(box->MemoBox, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box->btnOk));
        QTest::keyClick(box->btnOk, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(box->btnCancel));
    }

    void showMessageBoxRunsAModalWindow() {
        auto clicked = AnswerNextModal(QStringLiteral("btnNO"));
        QCOMPARE(ShowMessageBox("Lexorama", A("Écraser le fichier ?"), 292), IDNO);
        QVERIFY(*clicked);
        // Every call makes a new window; nothing is left modal afterwards.
        AnswerNextModal(QStringLiteral("btnOk"));
        QCOMPARE(ShowMessageBox("Lexorama", "Fait.", MB_ICONINFORMATION), IDOK);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void answerNextModalGivesUpOnAMissingButton() {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("AnswerNextModal: no visible button"));
        auto clicked = AnswerNextModal(QStringLiteral("btnCancel"), 300);
        QCOMPARE(ShowMessageBox("Lexorama", "Texte", MB_YESNO), IDCANCEL);
        QVERIFY(!*clicked);
    }

    void testingAnswersSkipTheWindow() {
        MessageBoxTesting::PushAnswer(IDYES);
        MessageBoxTesting::PushAnswer(IDNO);
        MessageBoxTesting::SetAutoAnswer(true, IDCANCEL);
        QCOMPARE(ShowMessageBox("A", "un", 36), IDYES);
        QCOMPARE(ShowMessageBox("B", "deux", 308), IDNO);
        QCOMPARE(ShowMessageBox("C", "trois", 48), IDCANCEL);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        const auto& log = MessageBoxTesting::Log();
        QCOMPARE(log.size(), size_t(3));
        QCOMPARE(log[1].caption, std::string("B"));
        QCOMPARE(log[1].text, std::string("deux"));
        QCOMPARE(log[1].flags, 308);
        MessageBoxTesting::ClearLog();
        QVERIFY(MessageBoxTesting::Log().empty());
    }
};

QTEST_MAIN(TestMessageBox)
#include "test_message_box.moc"
