// Files that are not what the program expects: a settings file that cannot
// be read or written, and parameter files that are huge, binary or in another
// encoding. The technician gets a clear message, the program goes on, and
// the transmitter gets either the whole file exactly as it is, or nothing.

#include "config/parameter_file_preview.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QLabel>

#include <unistd.h>

namespace {

const QString settingsFile = QStringLiteral("kestrin.ini");
const QString portClosed = QStringLiteral("Com Port Closed");
const QString invalidSettings = QStringLiteral("Invalid Com Settings, Select a Free Com Port");
const QString notSaved = QStringLiteral("Failed to save com settings");
const QString question = QStringLiteral("Please Confirm To Send The Parameters?");

// A file that exists and opens but fails on the first read, for root too:
// address 0 of the process's own memory is never mapped.
void makeUnreadable(const QString &name)
{
    QFile::link(QStringLiteral("/proc/self/mem"), name);
}

// What reaches the transmitter of a parameter text: every byte but the line
// feeds, at which it is cut into commands.
QByteArray withoutLineFeeds(QByteArray text)
{
    return text.replace('\n', QByteArray());
}

struct DownloadFixture : LinkedWindowFixture {
    DownloadFixture() { startLinked(); }
    void download(const QByteArray &content, MessageResult answer = MessageResult::Ok)
    {
        fake.dialogs.fileAnswers << writeParameterFile(content);
        fake.dialogs.messageAnswers << answer;
        w().menuOpenParameterFile->trigger();
    }
};

} // namespace

class BadFilesTest : public QObject {
    Q_OBJECT

private slots:
    void settingsFileTroubleIsReportedAndThePortStillOpens_data();
    void settingsFileTroubleIsReportedAndThePortStillOpens();
    void previewShowsTheFileAsTheTechnicianWroteIt_data();
    void previewShowsTheFileAsTheTechnicianWroteIt();
    void hugeBinaryFileIsPreviewedShortAndSentWhole();
    void fileThatFailsToReadSendsNothing();
};

void BadFilesTest::settingsFileTroubleIsReportedAndThePortStillOpens_data()
{
    QTest::addColumn<QString>("trouble");
    // Whether the file can be written: if not, start-up opens no port without
    // a word, and only choosing one tells that the choice was not kept.
    QTest::addColumn<bool>("writable");
    QTest::newRow("a folder in its place") << "folder" << false;
    QTest::newRow("read fails") << "unreadable" << true;
    QTest::newRow("folder takes no files") << "read-only folder" << false;
}

void BadFilesTest::settingsFileTroubleIsReportedAndThePortStillOpens()
{
    QFETCH(QString, trouble);
    QFETCH(bool, writable);
    WindowFixture f;
    if (trouble == u"folder") {
        QVERIFY(QDir().mkdir(settingsFile));
    } else if (trouble == u"unreadable") {
        makeUnreadable(settingsFile);
    } else if (trouble == u"read-only folder") {
        // Permissions do not stop root, and the tests may run as root: the
        // top of /proc takes no new file from anybody.
        QVERIFY(
            QFile::setPermissions(f.dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (QFile probe(QStringLiteral("probe")); probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QVERIFY(QDir::setCurrent(QStringLiteral("/proc")));
        }
    }
    f.start();
    QCOMPARE(f.fake.dialogs.messageTexts(),
             writable ? QStringList {invalidSettings} : QStringList());
    QCOMPARE(f.w().Status->text(), writable ? QStringLiteral("Status Info") : portClosed);
    QVERIFY(!f.fake.port.isOpen());

    // The technician chooses a port: it opens whatever became of the file.
    f.fake.dialogs.shown.clear();
    f.fake.desktop.beeps = 0;
    f.w().menuCom[2]->trigger();
    QVERIFY(f.fake.port.isOpen() && f.w().menuCom[2]->isChecked());
    QCOMPARE(f.fake.dialogs.messageTexts(), writable ? QStringList() : QStringList {notSaved});
    QCOMPARE(f.fake.desktop.beeps, 0);
    if (writable)
        QCOMPARE(readFile(settingsFile), QByteArray("COM2:9600,N,8,1"));
    f.w().menuCloseComPort->trigger();
    QVERIFY(!f.fake.port.isOpen());
    QCOMPARE(f.w().Status->text(), QStringLiteral("Com Port is Closed"));
    QVERIFY(trouble != u"folder" || QFileInfo(settingsFile).isDir());
    QFile::setPermissions(f.dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void BadFilesTest::previewShowsTheFileAsTheTechnicianWroteIt_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("preview");
    const QString zurich = QString::fromUtf8("; Zürich 5 °C\r\n");
    QTest::newRow("UTF-8 as UTF-8") << zurich.toUtf8() << zurich;
    // Not UTF-8: one character per byte, as older tools wrote their files.
    QTest::newRow("Latin-1 as Latin-1") << zurich.toLatin1() << zurich;
    QTest::newRow("escape and byte-order mark shown") << QByteArray("\xef\xbb\xbfRH\x1b"
                                                                    "800")
                                                      << QString::fromUtf8("\uFFFDRH\uFFFD800");
    QTest::newRow("character outside the plane not split") << QByteArray(previewLineLength - 1, 'A')
            + "\xf0\x9f\x98\x80" + "B" << QString(previewLineLength - 1, u'A') + QChar(0x2026);
}

void BadFilesTest::previewShowsTheFileAsTheTechnicianWroteIt()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, preview);
    QCOMPARE(parameterFilePreview(file), preview);
}

void BadFilesTest::hugeBinaryFileIsPreviewedShortAndSentWhole()
{
    // NUL and bytes that are no UTF-8, then ten megabytes in 160 lines of 64 KiB.
    QByteArray file("RH8\0"
                    "00\r\n\xff\xfe\r\n",
                    12);
    for (int i = 0; i < 160; ++i)
        file += "RH" + QByteArray::number(i).rightJustified(65532, '0') + "\r\n";

    DownloadFixture f;
    f.download(file, MessageResult::Cancel);
    const QString shown = f.fake.dialogs.shown.value(1).text;
    QVERIFY(shown.startsWith(QString::fromUtf8("RH8\uFFFD00\r\n\u00ff\u00fe\r\n")));
    const QStringList shownLines = shown.chopped(question.size() + 1).split(u'\n');
    QCOMPARE(shownLines.size(), previewLines + 1);
    QCOMPARE(shownLines.last(),
             QStringLiteral("\u2026 and %1 more lines not shown").arg(162 - previewLines));
    for (const QString &line : shownLines)
        QVERIFY(line.size() <= previewLineLength + 2);
    QVERIFY(f.fake.port.written.isEmpty());

    f.download(file);
    QCOMPARE(f.fake.port.written, withoutLineFeeds(file + "\r\nSAVE\r\nNOTEST\r\n"));
    QCOMPARE(f.w().Status->text(),
             QStringLiteral("Parameters sent and saved into the transmitter"));
}

void BadFilesTest::fileThatFailsToReadSendsNothing()
{
    DownloadFixture f;
    const QString name = QDir::current().absoluteFilePath(QStringLiteral("p.par"));
    makeUnreadable(name);
    f.fake.dialogs.fileAnswers << name;
    f.w().menuOpenParameterFile->trigger();
    QCOMPARE(f.fake.dialogs.messageTexts(),
             QStringList {QStringLiteral("The parameter file cannot be read:\r") + name});
    QVERIFY(f.fake.port.written.isEmpty() && !f.fake.desktop.busy);
}

QTEST_MAIN(BadFilesTest)

#include "tst_bad_files.moc"
