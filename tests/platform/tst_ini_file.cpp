// IniFile: how value texts read as numbers and texts, and what a write leaves in the file.

#include "platform/ini_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <climits>

#include <sys/stat.h>
#include <unistd.h>

using platform::IniFile;
using platform::IniWriteError;

namespace {

const std::int32_t fallbackNumber = -7;
const std::string fallbackText = "<fallback>";

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

std::string std8(const QString& s)
{
    return s.toStdString();
}

} // namespace

class IniFileTest : public QObject {
    Q_OBJECT

private slots:
    void readsValueTexts_data();
    void readsValueTexts();

    void newFileHoldsSectionsAndKeysInTheOrderWritten();
    void rewriteKeepsEveryOtherLine();
    void writeReplacesTheFileAtomically();
    void writeThroughALinkReplacesItsTarget();
    void readOnlyFileMakesTheWriteFail();
    void readOnlyFolderMakesTheWriteFail_data();
    void readOnlyFolderMakesTheWriteFail();

private:
    QTemporaryDir dir_;
};

// One table for reading: the whole file text (null: no file), then what
// readInteger and readString give for key "K" in section "S".
void IniFileTest::readsValueTexts_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");

    const int dflt = fallbackNumber;
    const QString dfltText = QString::fromStdString(fallbackText);
    auto row = [](const char* name, const QByteArray& file, int number, const QString& text) {
        QTest::newRow(name) << file << number << text;
    };

    row("decimal", "[S]\nK=42\n", 42, "42");
    row("plus sign", "[S]\nK=+12\n", 12, "+12");
    row("blanks around the value are removed", "[S]\nK = \t 42 \t\n", 42, "42");
    row("smallest 32-bit value", "[S]\nK=-2147483648\n", INT_MIN, "-2147483648");
    row("largest 32-bit value", "[S]\nK=2147483647\n", INT_MAX, "2147483647");
    row("one above the range", "[S]\nK=2147483648\n", dflt, "2147483648");
    row("one below the range", "[S]\nK=-2147483649\n", dflt, "-2147483649");
    row("far out of range", "[S]\nK=99999999999999999999\n", dflt, "99999999999999999999");
    row("0x hex", "[S]\nK=0x20\n", 32, "0x20");
    row("0X hex", "[S]\nK=0X20\n", 32, "0X20");
    row("dollar hex", "[S]\nK=$20\n", 32, "$20");
    row("hex letters either case", "[S]\nK=$aF\n", 0xAF, "$aF");
    row("largest hex", "[S]\nK=0x7FFFFFFF\n", INT_MAX, "0x7FFFFFFF");
    row("hex above the signed range", "[S]\nK=0x80000000\n", dflt, "0x80000000");
    row("hex all ones is not -1", "[S]\nK=$FFFFFFFF\n", dflt, "$FFFFFFFF");
    row("0x alone is too short for hex", "[S]\nK=0x\n", dflt, "0x");
    row("dollar alone", "[S]\nK=$\n", dflt, "$");
    row("minus before 0x", "[S]\nK=-0x20\n", dflt, "-0x20");
    row("minus before dollar", "[S]\nK=-$20\n", dflt, "-$20");
    row("sign alone", "[S]\nK=-\n", dflt, "-");
    row("bad hex digit", "[S]\nK=0x1g\n", dflt, "0x1g");
    row("letters", "[S]\nK=abc\n", dflt, "abc");
    row("digits then letters", "[S]\nK=12abc\n", dflt, "12abc");
    row("blank inside", "[S]\nK=1 2\n", dflt, "1 2");
    row("decimal point", "[S]\nK=1.5\n", dflt, "1.5");
    row("empty value", "[S]\nK=\n", dflt, "");
    row("blanks only", "[S]\nK=   \n", dflt, "");
    row("equals sign inside the value", "[S]\nK=a=b\n", dflt, "a=b");
    row("names without regard to case", "[s]\nk=5\n", 5, "5");
    row("blanks around names", "  [ S ]  \n  K  =6\n", 6, "6");
    row("missing key", "[S]\nOther=1\n", dflt, dfltText);
    row("missing section", "[T]\nK=1\n", dflt, dfltText);
    row("key of a later section", "[S]\nA=1\n[T]\nK=5\n", dflt, dfltText);
    row("first of two equal sections", "[S]\nK=1\n[S]\nK=2\n", 1, "1");
    row("missing file", QByteArray(), dflt, dfltText);
    row("empty file", "", dflt, dfltText);
    row("CRLF line ends", "[S]\r\nK=9\r\n", 9, "9");
    row("byte order mark", "\xEF\xBB\xBF[S]\nK=3\n", 3, "3");
    row("no newline at the end", "[S]\nK=8", 8, "8");
    row("UTF-8 text", "[S]\nK=写真\n", dflt, QStringLiteral("写真"));

    // The cut comes after the blanks are removed and counts characters, not bytes.
    const QByteArray zeros(2046, '0');
    row("cut to 2047 characters", "[S]\nK=  " + zeros + "12\n", 1, QString::fromLatin1(zeros + "1"));
    QString wide(2048, QChar(0x3042));
    row("cut counts multibyte characters once", "[S]\nK=" + wide.toUtf8() + "\n", dflt, wide.left(2047));
}

void IniFileTest::readsValueTexts()
{
    QFETCH(QByteArray, file);
    QFETCH(int, number);
    QFETCH(QString, text);

    const QString path = dir_.filePath(QStringLiteral("read-%1.ini").arg(QTest::currentDataTag()).replace(' ', '_'));
    if (!file.isNull())
        writeFile(path, file);
    const IniFile ini(std8(path));
    QCOMPARE(ini.readInteger("S", "K", fallbackNumber), number);
    QCOMPARE(QString::fromStdString(ini.readString("S", "K", fallbackText)), text);
}

void IniFileTest::newFileHoldsSectionsAndKeysInTheOrderWritten()
{
    const QString path = dir_.filePath("STATE.INI");
    IniFile ini(std8(path));
    ini.writeInteger("WINDOWS", "TOP", -24);
    ini.writeInteger("WINDOWS", "LEFT", 0);
    ini.writeInteger("WINDOWS", "HEIGHT", 300);
    ini.writeInteger("WINDOWS", "WIDTH", 2147483647);
    ini.writeString("DIRECTORY", "DIRECTORY", "/home/写真");

    QCOMPARE(readFile(path), QByteArray("[WINDOWS]\n"
                                        "TOP=-24\n"
                                        "LEFT=0\n"
                                        "HEIGHT=300\n"
                                        "WIDTH=2147483647\n"
                                        "[DIRECTORY]\n"
                                        "DIRECTORY=/home/写真\n"));
    QCOMPARE(ini.readInteger("windows", "top", 0), -24);
    QCOMPARE(ini.readString("Directory", "Directory", ""), std::string("/home/写真"));
}

void IniFileTest::rewriteKeepsEveryOtherLine()
{
    const QString path = dir_.filePath("keep.ini");
    writeFile(path, "; written by hand\n"
                    "[windows]\n"
                    "top = 1\n"
                    "  odd line without equals\n"
                    "Left=2\n"
                    "\n"
                    "[Other]\n"
                    "X=y\n");
    IniFile ini(std8(path));
    ini.writeInteger("WINDOWS", "TOP", -5);          // existing key, other case
    ini.writeInteger("WINDOWS", "HEIGHT", 300);      // new key in an existing section
    ini.writeString("DIRECTORY", "DIRECTORY", " a "); // new section, text written exactly

    QCOMPARE(readFile(path), QByteArray("; written by hand\n"
                                        "[windows]\n"
                                        "top=-5\n"
                                        "  odd line without equals\n"
                                        "Left=2\n"
                                        "HEIGHT=300\n"
                                        "\n"
                                        "[Other]\n"
                                        "X=y\n"
                                        "[DIRECTORY]\n"
                                        "DIRECTORY= a \n"));

    // A file with CRLF line ends keeps them, new lines included.
    const QString crlf = dir_.filePath("crlf.ini");
    writeFile(crlf, "[S]\r\nA=1\r\n");
    IniFile(std8(crlf)).writeInteger("S", "B", 2);
    QCOMPARE(readFile(crlf), QByteArray("[S]\r\nA=1\r\nB=2\r\n"));
}

void IniFileTest::writeReplacesTheFileAtomically()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("atomic.ini");
    writeFile(path, "[S]\nK=1\n");
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    struct stat before;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &before) == 0);

    // A reader that opened the old file keeps reading the old text whole.
    QFile reader(path);
    QVERIFY(reader.open(QIODevice::ReadOnly));

    IniFile(std8(path)).writeInteger("S", "K", 2);

    struct stat after;
    QVERIFY(::stat(QFile::encodeName(path).constData(), &after) == 0);
    QVERIFY2(after.st_ino != before.st_ino, "the file was written in place, not replaced");
    QCOMPARE(after.st_mode & 07777, mode_t(0640));
    QCOMPARE(reader.readAll(), QByteArray("[S]\nK=1\n"));
    QCOMPARE(readFile(path), QByteArray("[S]\nK=2\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"atomic.ini"});
}

void IniFileTest::writeThroughALinkReplacesItsTarget()
{
    QTemporaryDir folder;
    const QString target = folder.filePath("target.ini");
    const QString link = folder.filePath("link.ini");
    writeFile(target, "[S]\nK=1\n");
    QVERIFY(QFile::link(target, link));

    IniFile(std8(link)).writeInteger("S", "K", 3);

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readFile(target), QByteArray("[S]\nK=3\n"));
}

void IniFileTest::readOnlyFileMakesTheWriteFail()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("readonly.ini");
    writeFile(path, "[S]\nK=1\n");
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0444) == 0);

    IniFile ini(std8(path));
    QVERIFY_THROWS_EXCEPTION(IniWriteError, ini.writeInteger("S", "K", 2));
    QVERIFY_THROWS_EXCEPTION(IniWriteError, ini.writeString("T", "New", "x"));
    QCOMPARE(readFile(path), QByteArray("[S]\nK=1\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"readonly.ini"});
}

void IniFileTest::readOnlyFolderMakesTheWriteFail_data()
{
    QTest::addColumn<bool>("fileExists");
    QTest::newRow("new file") << false;
    QTest::newRow("existing file") << true;
}

void IniFileTest::readOnlyFolderMakesTheWriteFail()
{
    QFETCH(bool, fileExists);
    QTemporaryDir parent;
    const QString folder = parent.filePath("locked");
    QVERIFY(QDir().mkdir(folder));
    const QString path = folder + "/state.ini";
    if (fileExists)
        writeFile(path, "[S]\nK=1\n");
    const QByteArray folderName = QFile::encodeName(folder);
    QVERIFY(::chmod(folderName.constData(), 0555) == 0);

    IniFile ini(std8(path));
    QVERIFY_THROWS_EXCEPTION(IniWriteError, ini.writeInteger("S", "K", 2));
    const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    QVERIFY(::chmod(folderName.constData(), 0755) == 0);

    QCOMPARE(left, fileExists ? QStringList{"state.ini"} : QStringList{});
    if (fileExists)
        QCOMPARE(readFile(path), QByteArray("[S]\nK=1\n"));
}

QTEST_APPLESS_MAIN(IniFileTest)
#include "tst_ini_file.moc"
