// The resize settings dialog, shown by the resize command and used as a person
// would: the controls at the first showing, the key filter and MaxLength, the
// corrections on leaving a size field, the mode switch, Enter and Escape, where
// the focus goes between showings, the quality scroll bar and the placement.

#include "app_test_support.h"

#include "app/main.h"
#include "app/prg.h"
#include "app/save.h"
#include "platform/directory_list_box.h"
#include "platform/drive_combo_box.h"
#include "platform/help_viewer.h"
#include "ui_main.h"
#include "ui_save.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTemporaryDir>

#include <memory>

using namespace app_test;

namespace {

Ui::TfrmSave& dialog() { return *frmSave->ui(); }

// Empties the focused field with the keys a user would press.
void clearFocusedField()
{
    pressKey(frmSave, Qt::Key_End);
    for (int i = 0; i < 8; ++i)
        pressKey(frmSave, Qt::Key_Backspace);
}

QLineEdit* ratioEdit() { return dialog().cboRitu->lineEdit(); }

// A point inside one part of the quality scroll bar.
QPoint scrollBarPoint(QScrollBar* bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.subControls = QStyle::SC_All;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}

} // namespace

class SaveDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstShowingStartsOnCboDrvWithTheSettingsOfAFreshProcess();
    void tabWalksTheControlsInTheirOrder();
    void keyFilterAdmitsDigitsAndBackspaceUpToMaxLength_data();
    void keyFilterAdmitsDigitsAndBackspaceUpToMaxLength();
    void composedTextPassesTheSameFilter();
    void correctionsOnLeavingAField_data();
    void correctionsOnLeavingAField();
    void pastedTextIsNotFilteredAndANonNumberStaysSilently_data();
    void pastedTextIsNotFilteredAndANonNumberStaysSilently();
    void modeSwitchEnablesTheFieldsOfTheModeAndKeepsEveryText();
    void enterActivatesOkWithoutTheCorrectionOfTheFocusedField_data();
    void enterActivatesOkWithoutTheCorrectionOfTheFocusedField();
    void clickingOkCorrectsTheFieldBeingLeftFirst();
    void escapeLeavesTheDialogOpen();
    void focusComesBackToTheControlThatHadIt();
    void okCancelAndCloseDifferOnlyInBlnOK();
    void qualityMovesByOneFromZeroAtTheLeftToHundredAtTheRight();
    void dialogIsCentredOverTheMainWindowOnceAndKeepsItsPlace();
    void helpKeyOpensTopicTwo();

private:
    void open(const QList<Photo>& photos);
    void runCommand() { frmMain->ui()->mnuFileS->trigger(); }
    QString target(const QString& name) const { return destination_->filePath(name); }

    QTemporaryDir home_;
    std::unique_ptr<QTemporaryDir> source_;
    std::unique_ptr<QTemporaryDir> destination_;
    std::unique_ptr<WindowSet> windows_;
};

void SaveDialogTest::init()
{
    removeStateIni();
    source_ = std::make_unique<QTemporaryDir>();
    destination_ = std::make_unique<QTemporaryDir>();
}

void SaveDialogTest::cleanup()
{
    windows_.reset();
    QVERIFY(QDir::setCurrent(home_.path()));
    source_.reset();
    destination_.reset();
    removeStateIni();
}

void SaveDialogTest::open(const QList<Photo>& photos)
{
    QVERIFY(startWithPhotos(source_->path(), photos, windows_));
}

void SaveDialogTest::firstShowingStartsOnCboDrvWithTheSettingsOfAFreshProcess()
{
    open({{"a.jpg", 400, 300}});
    DialogSteps steps({[&] {
        QCOMPARE(QApplication::focusWidget(), dialog().cboDrv);
        QCOMPARE(frmSave->windowTitle(), source_->filePath("a.jpg"));
        QCOMPARE(dialog().trvDir->directory(), source_->path());
        QVERIFY(dialog().rdbRitu->isChecked());
        QVERIFY(!dialog().rdbSitei->isChecked());
        QVERIFY(dialog().cboRitu->isEnabled());
        QCOMPARE(dialog().cboRitu->currentText(), QStringLiteral("100"));
        QVERIFY(!dialog().txtWidth->isEnabled());
        QVERIFY(!dialog().txtHeight->isEnabled());
        QCOMPARE(dialog().txtWidth->text(), QStringLiteral("1280"));
        QCOMPARE(dialog().txtHeight->text(), QStringLiteral("960"));
        QCOMPARE(dialog().scbQ->value(), 80);
        QVERIFY(!dialog().chkSame->isChecked());
        // ItemHeight of the folder list and of the ratio's drop-down list.
        QCOMPARE(dialog().trvDir->visualItemRect(dialog().trvDir->item(0)).height(), 16);
        QCOMPARE(dialog().cboRitu->view()->sizeHintForRow(0), 13);
        QCOMPARE(dialog().cboRitu->count(), 7);
        QCOMPARE(dialog().cboRitu->currentIndex(), -1);
        QCOMPARE(frmSave->size(), QSize(369, 497));
        QVERIFY(!(frmSave->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(frmSave->windowFlags() & Qt::WindowSystemMenuHint));
        QVERIFY(!frmPrg->isVisible());
        click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(steps.showings(), 1);
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::tabWalksTheControlsInTheirOrder()
{
    open({{"a.jpg", 400, 300}});
    auto walk = [] {
        QStringList names;
        click(dialog().cboDrv);
        for (int i = 0; i < 10; ++i) {
            names << frmSave->focusWidget()->objectName();
            pressKey(frmSave, Qt::Key_Tab);
        }
        return names;
    };
    QStringList ratioMode;
    QStringList pixelMode;
    DialogSteps steps({[&] {
        ratioMode = walk();
        click(dialog().rdbSitei);
        pixelMode = walk();
        click(dialog().cmdCancel);
    }});
    runCommand();
    // Of the two radio buttons only the selected one is a stop, and the fields of
    // the other mode are disabled.
    QCOMPARE(ratioMode, QStringList({"cboDrv", "trvDir", "rdbRitu", "cboRitu", "scbQ", "chkSame", "cmdOK",
                                     "cmdCancel", "cboDrv", "trvDir"}));
    QCOMPARE(pixelMode, QStringList({"cboDrv", "trvDir", "rdbSitei", "txtWidth", "txtHeight", "scbQ", "chkSame",
                                     "cmdOK", "cmdCancel", "cboDrv"}));
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::keyFilterAdmitsDigitsAndBackspaceUpToMaxLength_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ratio: letters, sign, space and point dropped") << "cboRitu" << "5a- .x0" << "50";
    QTest::newRow("ratio: a fourth digit cannot be typed") << "cboRitu" << "1234" << "123";
    QTest::newRow("ratio: one digit is not completed from the items") << "cboRitu" << "2" << "2";
    QTest::newRow("ratio: backspace works") << "cboRitu" << "75\b5" << "75";
    QTest::newRow("width: a fifth digit cannot be typed") << "txtWidth" << "12345" << "1234";
    QTest::newRow("width: minus, point and letters dropped") << "txtWidth" << "-6.4e0" << "640";
    QTest::newRow("width: backspace works") << "txtWidth" << "99\b8" << "98";
    QTest::newRow("height: plus, comma and space dropped") << "txtHeight" << "+4,8 0" << "480";
    QTest::newRow("height: a fifth digit cannot be typed") << "txtHeight" << "98765" << "9876";
}

void SaveDialogTest::keyFilterAdmitsDigitsAndBackspaceUpToMaxLength()
{
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    open({{"a.jpg", 400, 300}});
    QString typed;
    DialogSteps steps({[&] {
        if (field != QLatin1String("cboRitu"))
            click(dialog().rdbSitei);
        click(frmSave->findChild<QWidget*>(field));
        clearFocusedField();
        for (QChar c : keys) {
            if (c == QLatin1Char('\b'))
                pressKey(frmSave, Qt::Key_Backspace);
            else
                typeText(frmSave, QString(c));
        }
        typed = field == QLatin1String("cboRitu") ? dialog().cboRitu->currentText()
                                                  : frmSave->findChild<QLineEdit*>(field)->text();
        click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(typed, expected);
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::composedTextPassesTheSameFilter()
{
    // Text from an input method arrives whole, not key by key; full-width digits
    // are not digits here, as they would not be typed ones.
    open({{"a.jpg", 400, 300}});
    QString width;
    QString ratio;
    DialogSteps steps({[&] {
        click(dialog().cboRitu);
        clearFocusedField();
        QInputMethodEvent ratioText(QString(), {});
        ratioText.setCommitString(QStringLiteral("２5ア0"));
        QApplication::sendEvent(frmSave->focusWidget(), &ratioText);
        ratio = dialog().cboRitu->currentText();
        click(dialog().rdbSitei);
        click(dialog().txtWidth);
        clearFocusedField();
        QInputMethodEvent widthText(QString(), {});
        widthText.setCommitString(QStringLiteral("1２3四4"));
        QApplication::sendEvent(frmSave->focusWidget(), &widthText);
        width = dialog().txtWidth->text();
        click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(ratio, QStringLiteral("50"));
    QCOMPARE(width, QStringLiteral("134"));
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::correctionsOnLeavingAField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("leaveByClick");
    QTest::addColumn<QString>("expected");

    // The source is 12345 x 67: five digits, one more than MaxLength lets a user
    // type, which the program's own text may still hold.
    QTest::newRow("ratio emptied") << "cboRitu" << "" << false << "100";
    QTest::newRow("ratio 0") << "cboRitu" << "0" << false << "100";
    QTest::newRow("ratio 000") << "cboRitu" << "000" << true << "100";
    QTest::newRow("ratio 05 kept as typed") << "cboRitu" << "05" << false << "05";
    QTest::newRow("width emptied") << "txtWidth" << "" << false << "12345";
    QTest::newRow("width 0") << "txtWidth" << "0" << true << "12345";
    QTest::newRow("width 0000") << "txtWidth" << "0000" << false << "12345";
    QTest::newRow("width 9999 kept") << "txtWidth" << "9999" << false << "9999";
    QTest::newRow("height emptied") << "txtHeight" << "" << true << "67";
    QTest::newRow("height 0") << "txtHeight" << "0" << false << "67";
    QTest::newRow("height 1 kept") << "txtHeight" << "1" << false << "1";
}

void SaveDialogTest::correctionsOnLeavingAField()
{
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(bool, leaveByClick);
    QFETCH(QString, expected);
    open({{"wide.jpg", 12345, 67}});
    QString before;
    QString after;
    MessageRecorder messages;
    DialogSteps steps({[&] {
        if (field != QLatin1String("cboRitu"))
            click(dialog().rdbSitei);
        click(frmSave->findChild<QWidget*>(field));
        clearFocusedField();
        typeText(frmSave, keys);
        auto text = [&] {
            return field == QLatin1String("cboRitu") ? dialog().cboRitu->currentText()
                                                     : frmSave->findChild<QLineEdit*>(field)->text();
        };
        before = text();
        if (leaveByClick)
            click(dialog().chkSame);
        else
            pressKey(frmSave, Qt::Key_Tab);
        after = text();
        dialog().chkSame->setChecked(false);
        click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(before, keys);
    QCOMPARE(after, expected);
    QVERIFY(messages.texts.isEmpty());
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::pastedTextIsNotFilteredAndANonNumberStaysSilently_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");

    QTest::newRow("ratio with letters") << "cboRitu" << "5x" << "5x";
    QTest::newRow("width with a space") << "txtWidth" << "6 4" << "6 4";
    QTest::newRow("height in hexadecimal") << "txtHeight" << "$1E" << "$1E";
    // A negative number is a number: below 1, so it is corrected.
    QTest::newRow("negative width") << "txtWidth" << "-5" << "400";
    QTest::newRow("negative ratio") << "cboRitu" << "-50" << "100";
}

void SaveDialogTest::pastedTextIsNotFilteredAndANonNumberStaysSilently()
{
    QFETCH(QString, field);
    QFETCH(QString, pasted);
    QFETCH(QString, expected);
    open({{"a.jpg", 400, 300}});
    MessageRecorder messages;
    QString inField;
    QString afterLeaving;
    bool focusMovedOn = false;
    bool stayedOpenOnOk = false;
    DialogSteps steps({[&] {
        if (field != QLatin1String("cboRitu"))
            click(dialog().rdbSitei);
        QLineEdit* edit = field == QLatin1String("cboRitu") ? ratioEdit() : frmSave->findChild<QLineEdit*>(field);
        click(edit);
        clearFocusedField();
        QGuiApplication::clipboard()->setText(pasted);
        edit->paste(); // what the context menu's paste does
        inField = edit->text();
        pressKey(frmSave, Qt::Key_Tab);
        focusMovedOn = !edit->hasFocus();
        afterLeaving = edit->text();
        dialog().trvDir->setDirectory(destination_->path());
        click(dialog().cmdOK);
        stayedOpenOnOk = frmSave->isVisible();
        click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(inField, pasted);
    QVERIFY(focusMovedOn);
    QCOMPARE(afterLeaving, expected);
    // A text that is not a number makes the job return at once, without a message.
    const bool number = afterLeaving == expected && expected != pasted;
    QCOMPARE(stayedOpenOnOk, !number);
    if (!number)
        QVERIFY(messages.texts.isEmpty());
    QCOMPARE(QDir(destination_->path()).isEmpty(), !number);
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::modeSwitchEnablesTheFieldsOfTheModeAndKeepsEveryText()
{
    open({{"a.jpg", 400, 300}});
    DialogSteps steps({[&] {
        click(dialog().cboRitu);
        clearFocusedField();
        typeText(frmSave, "25");

        click(dialog().rdbSitei);
        QVERIFY(dialog().rdbSitei->isChecked());
        QVERIFY(!dialog().rdbRitu->isChecked());
        QVERIFY(!dialog().cboRitu->isEnabled());
        QVERIFY(dialog().txtWidth->isEnabled());
        QVERIFY(dialog().txtHeight->isEnabled());
        QCOMPARE(dialog().cboRitu->currentText(), QStringLiteral("25"));
        click(dialog().txtWidth);
        clearFocusedField();
        typeText(frmSave, "640");

        click(dialog().rdbRitu);
        QVERIFY(dialog().cboRitu->isEnabled());
        QVERIFY(!dialog().txtWidth->isEnabled());
        QVERIFY(!dialog().txtHeight->isEnabled());
        QCOMPARE(dialog().cboRitu->currentText(), QStringLiteral("25"));
        QCOMPARE(dialog().txtWidth->text(), QStringLiteral("640"));
        QCOMPARE(dialog().txtHeight->text(), QStringLiteral("960"));

        // The keyboard switches too: the arrow keys move between the two buttons.
        click(dialog().rdbRitu);
        pressKey(frmSave, Qt::Key_Down);
        QVERIFY(dialog().rdbSitei->isChecked());
        QVERIFY(dialog().txtWidth->isEnabled());
        QVERIFY(!dialog().cboRitu->isEnabled());
        click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::enterActivatesOkWithoutTheCorrectionOfTheFocusedField_data()
{
    QTest::addColumn<bool>("pixelMode");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QSize>("written"); // invalid: nothing written, the dialog stays open
    QTest::addColumn<QStringList>("messages");

    const QStringList none;
    QTest::newRow("ratio typed into the combo box") << false << "cboRitu" << "50" << QSize(200, 150) << none;
    QTest::newRow("one digit in the combo box is not completed to an item")
        << false << "cboRitu" << "2" << QSize(8, 6) << none;
    QTest::newRow("ratio emptied: no message, nothing written") << false << "cboRitu" << "" << QSize() << none;
    QTest::newRow("from the height field") << true << "txtHeight" << "90" << QSize(1280, 90) << none;
    QTest::newRow("width emptied: no message, nothing written") << true << "txtWidth" << "" << QSize() << none;
    QTest::newRow("width 0 reaches the job uncorrected")
        << true << "txtWidth" << "0" << QSize()
        << QStringList{QStringLiteral("変更後の画像の大きさが正しくないため、サイズ変更を行なえません。")};
    QTest::newRow("from the check box") << false << "chkSame" << "" << QSize(400, 300) << none;
    QTest::newRow("from the drive selector, focused at the first showing")
        << false << "cboDrv" << "" << QSize(400, 300) << none;
    QTest::newRow("from a radio button") << true << "rdbSitei" << "" << QSize(1280, 960) << none;
}

void SaveDialogTest::enterActivatesOkWithoutTheCorrectionOfTheFocusedField()
{
    QFETCH(bool, pixelMode);
    QFETCH(QString, field);
    QFETCH(QString, keys);
    QFETCH(QSize, written);
    QFETCH(QStringList, messages);
    open({{"a.jpg", 400, 300}});
    MessageRecorder recorder;
    bool open = false;
    QString fieldText;
    DialogSteps steps({[&] {
        dialog().trvDir->setDirectory(destination_->path());
        if (pixelMode)
            click(dialog().rdbSitei);
        QWidget* control = frmSave->findChild<QWidget*>(field);
        // At the first showing the drive selector has the focus already; a click
        // on it would open its list.
        if (field != QLatin1String("cboDrv")) {
            click(control);
            if (field == QLatin1String("chkSame"))
                click(control); // ticked and unticked again, the focus stays on it
            else if (qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control))
                clearFocusedField();
        }
        QCOMPARE(frmSave->focusWidget(), control);
        typeText(frmSave, keys);
        pressKey(frmSave, Qt::Key_Return);
        open = frmSave->isVisible();
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            fieldText = edit->text();
        else if (auto* combo = qobject_cast<QComboBox*>(control))
            fieldText = combo->currentText();
        if (open)
            click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(recorder.texts, messages);
    QCOMPARE(open, !written.isValid());
    if (field == QLatin1String("cboRitu") || field.startsWith(QLatin1String("txt")))
        QCOMPARE(fieldText, keys);
    if (written.isValid())
        QCOMPARE(jpegSize(target("a.jpg")), written);
    else
        QVERIFY(QDir(destination_->path()).isEmpty());
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::clickingOkCorrectsTheFieldBeingLeftFirst()
{
    // A click moves the focus to OK before it is pressed, unlike Enter.
    open({{"a.jpg", 400, 300}});
    MessageRecorder messages;
    DialogSteps steps({[&] {
        dialog().trvDir->setDirectory(destination_->path());
        click(dialog().rdbSitei);
        click(dialog().txtHeight);
        clearFocusedField();
        typeText(frmSave, "90");
        click(dialog().txtWidth);
        clearFocusedField();
        click(dialog().cmdOK);
    }});
    runCommand();
    QVERIFY(messages.texts.isEmpty());
    QCOMPARE(dialog().txtWidth->text(), QStringLiteral("400"));
    QCOMPARE(jpegSize(target("a.jpg")), QSize(400, 90));
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::escapeLeavesTheDialogOpen()
{
    open({{"a.jpg", 400, 300}});
    QStringList closedBy;
    DialogSteps steps({[&] {
        click(dialog().rdbSitei);
        for (QWidget* control : std::initializer_list<QWidget*>{dialog().cboDrv, dialog().trvDir, dialog().txtWidth,
                                                               dialog().scbQ, dialog().chkSame, dialog().cmdCancel}) {
            control->setFocus(Qt::TabFocusReason);
            pressKey(frmSave, Qt::Key_Escape);
            if (!frmSave->isVisible())
                closedBy << control->objectName();
        }
        if (frmSave->isVisible())
            click(dialog().cmdCancel);
    }});
    frmSave->blnOK = true;
    runCommand();
    QVERIFY2(closedBy.isEmpty(), qPrintable(closedBy.join(", ")));
    QCOMPARE(steps.showings(), 1);
    QVERIFY(!frmSave->blnOK);
}

void SaveDialogTest::focusComesBackToTheControlThatHadIt()
{
    open({{"a.jpg", 40, 30}, {"b.jpg", 40, 30}, {"c.jpg", 40, 30}});
    QList<QWidget*> focusAtShowing;
    auto noteFocus = [&] {
        focusAtShowing << QApplication::focusWidget();
    };
    DialogSteps steps({
        [&] {
            noteFocus();
            click(dialog().cmdCancel);
        },
        [&] {
            noteFocus();
            pressKey(frmSave, Qt::Key_Return); // the focused button, Cancel
        },
        [&] {
            noteFocus();
            dialog().trvDir->setDirectory(destination_->path());
            click(dialog().cboRitu);
            pressKey(frmSave, Qt::Key_Return); // OK: the combo box keeps the focus
        },
        [&] {
            noteFocus();
            click(dialog().chkSame);
            click(dialog().cmdCancel); // ends the second command
        },
    });
    runCommand();
    QVERIFY(QDir(destination_->path()).entryList(QDir::Files) == QStringList{"c.jpg"});
    runCommand();
    QCOMPARE(steps.showings(), 4);
    QCOMPARE(steps.unplanned(), 0);
    QCOMPARE(focusAtShowing,
             QList<QWidget*>({dialog().cboDrv, dialog().cmdCancel, dialog().cmdCancel, dialog().cboRitu}));
}

void SaveDialogTest::okCancelAndCloseDifferOnlyInBlnOK()
{
    open({{"a.jpg", 40, 30}});
    frmSave->intFileNo = 0;
    frmSave->intFileCnt = 1;
    frmSave->setWindowTitle(source_->filePath("a.jpg"));
    DialogSteps steps({[&] {
                           dialog().trvDir->setDirectory(destination_->path());
                           click(dialog().cmdOK);
                       },
                       [&] { click(dialog().cmdCancel); },
                       [&] { frmSave->close(); }}); // as the window system asks
    const int afterOk = frmSave->exec();
    const bool okFlag = frmSave->blnOK;
    const int afterCancel = frmSave->exec();
    const bool cancelFlag = frmSave->blnOK;
    frmSave->blnOK = true;
    const int afterClose = frmSave->exec();
    QCOMPARE(afterOk, afterCancel);
    QCOMPARE(afterClose, afterCancel);
    QVERIFY(okFlag);
    QVERIFY(!cancelFlag);
    QVERIFY(frmSave->blnOK); // left as it was
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::qualityMovesByOneFromZeroAtTheLeftToHundredAtTheRight()
{
    open({{"a.jpg", 40, 30}});
    QList<int> values;
    DialogSteps steps({[&] {
        QScrollBar* bar = dialog().scbQ;
        values << bar->value();
        // A click on the handle takes the focus and moves nothing.
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, scrollBarPoint(bar, QStyle::SC_ScrollBarSlider));
        values << bar->value();
        pressKey(frmSave, Qt::Key_Right);
        values << bar->value();
        pressKey(frmSave, Qt::Key_Left);
        pressKey(frmSave, Qt::Key_Left);
        values << bar->value();
        pressKey(frmSave, Qt::Key_PageDown);
        values << bar->value();
        pressKey(frmSave, Qt::Key_PageUp);
        values << bar->value();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, scrollBarPoint(bar, QStyle::SC_ScrollBarAddPage));
        values << bar->value();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, scrollBarPoint(bar, QStyle::SC_ScrollBarSubPage));
        values << bar->value();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, scrollBarPoint(bar, QStyle::SC_ScrollBarAddLine));
        values << bar->value();
        pressKey(frmSave, Qt::Key_Home);
        values << bar->value();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, scrollBarPoint(bar, QStyle::SC_ScrollBarSubLine));
        values << bar->value();
        pressKey(frmSave, Qt::Key_End);
        values << bar->value();
        pressKey(frmSave, Qt::Key_Right);
        values << bar->value();
        pressKey(frmSave, Qt::Key_Up);
        values << bar->value();
        pressKey(frmSave, Qt::Key_Down);
        values << bar->value();
        // The left end is the low quality, as the labels under the bar say.
        QVERIFY(scrollBarPoint(bar, QStyle::SC_ScrollBarSubLine).x() < scrollBarPoint(bar, QStyle::SC_ScrollBarAddLine).x());
        QVERIFY(dialog().lblLow->x() < dialog().lblHigh->x());
        click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(values, QList<int>({80, 80, 81, 79, 80, 79, 80, 79, 80, 0, 0, 100, 100, 99, 100}));
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::dialogIsCentredOverTheMainWindowOnceAndKeepsItsPlace()
{
    open({{"a.jpg", 40, 30}});
    frmMain->setGeometry(300, 320, 700, 600);
    QTRY_COMPARE(frmMain->size(), QSize(700, 600));
    const QRect main = frmMain->frameGeometry();
    QPoint first;
    QPoint second;
    QSize outer;
    DialogSteps steps({[&] {
                           first = frmSave->frameGeometry().topLeft();
                           outer = frmSave->frameGeometry().size();
                           frmSave->move(25, 35);
                           QTRY_COMPARE(frmSave->pos(), QPoint(25, 35));
                           click(dialog().cmdCancel);
                       },
                       [&] {
                           frmMain->move(0, 0); // the main window moving does not carry the dialog
                           second = frmSave->pos();
                           click(dialog().cmdCancel);
                       }});
    runCommand();
    runCommand();
    QCOMPARE(first, QPoint(main.x() + (main.width() - outer.width()) / 2,
                           std::max(0, main.y() + (main.height() - outer.height()) / 2)));
    QCOMPARE(second, QPoint(25, 35));
    QCOMPARE(steps.unplanned(), 0);
}

void SaveDialogTest::helpKeyOpensTopicTwo()
{
    open({{"a.jpg", 40, 30}});
    int topic = 0;
    DialogSteps steps({[&] {
        click(dialog().rdbSitei);
        click(dialog().txtHeight);
        pressKey(frmSave, Qt::Key_F1);
        if (platform::HelpViewer* viewer = platform::HelpViewer::existing()) {
            topic = viewer->topic();
            viewer->close();
        }
        click(dialog().cmdCancel);
    }});
    runCommand();
    QCOMPARE(topic, 2);
    QCOMPARE(steps.unplanned(), 0);
}

ORVANE_APP_TEST_MAIN(SaveDialogTest)
#include "tst_save_dialog.moc"
