// Reading the first line of animation files and writing them, with real
// files in a temporary folder.
#include "AnimationFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString u16(const char16_t *units)
{
    return QString::fromUtf16(units);
}

// The operating system's own wording for an errno value.
QString platformReason(int errnum)
{
    return QString::fromLocal8Bit(std::strerror(errnum));
}

// Written and read with POSIX calls on UTF-8 names, so that the fixture does
// not share Qt's file-name encoding with the code under test.
bool writeRaw(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && ok;
}

QByteArray readRaw(const QByteArray &path)
{
    QByteArray bytes;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return QByteArray("<unreadable>");
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, int(n));
    ::close(fd);
    return bytes;
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Caps the size of files this process may write, so that a write fails
// part way as on a full disk. Root ignores permissions, so chmod cannot.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_active = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool isActive() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_active = false;
};

} // namespace

class tst_AnimationFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void readFirstLine_data();
    void readFirstLine();
    void readFirstLineOfLongLine();
    void nonAsciiPaths();
    void readFailures_data();
    void readFailures();
    void refusedUnread_data();
    void refusedUnread();

    void writeExactUtf8_data();
    void writeExactUtf8();
    void writeReplacesExistingFile();
    void writeToUnwritableTarget_data();
    void writeToUnwritableTarget();
    void failedWriteKeepsExistingFile_data();
    void failedWriteKeepsExistingFile();

private:
    QTextCodec *m_originalLocaleCodec = nullptr;
    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_AnimationFile::initTestCase()
{
    m_originalLocaleCodec = QTextCodec::codecForLocale();
}

void tst_AnimationFile::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void tst_AnimationFile::cleanup()
{
    QTextCodec::setCodecForLocale(m_originalLocaleCodec);
    m_dir.reset();
}

void tst_AnimationFile::readFirstLine_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("expected");

    const QByteArray json("{\"signature\":\"OVRI_Animation\",\"frames\":[]}");
    QTest::newRow("LF, first of two lines") << json + "\nsecond line\n" << QString::fromLatin1(json);
    QTest::newRow("CRLF, first of two lines") << json + "\r\nsecond line\r\n" << QString::fromLatin1(json);
    QTest::newRow("CRLF, first of three lines") << QByteArray("a\r\nb\r\nc") << QStringLiteral("a");
    QTest::newRow("no line break") << json << QString::fromLatin1(json);
    QTest::newRow("trailing LF only") << json + "\n" << QString::fromLatin1(json);
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("empty first line, LF") << QByteArray("\nsecond") << QString();
    QTest::newRow("empty first line, CRLF") << QByteArray("\r\nsecond") << QString();
    QTest::newRow("spaces kept") << QByteArray("  a b  \nc") << QStringLiteral("  a b  ");
    QTest::newRow("UTF-8 caption")
        << QByteArray("{\"caption\":\"Ciar\xC3\xA1n M\xC3\xBCller \xE5\xB0\x8F \xF0\x9F\x8F\x89\"}\r\nrest")
        << u16(u"{\"caption\":\"Ciar\u00E1n M\u00FCller \u5C0F \U0001F3C9\"}");
    QTest::newRow("UTF-8 BOM is not text")
        << QByteArray("\xEF\xBB\xBF{\"a\":\"\xC3\xA9\"}\nb") << u16(u"{\"a\":\"\u00E9\"}");
    // In UTF-16 the line break is two bytes, so the line can only be found
    // after decoding.
    QTest::newRow("UTF-16 LE BOM, CRLF")
        << QByteArray("\xFF\xFE" "{\0\xE9\0}\0\r\0\n\0x\0", 14) << u16(u"{\u00E9}");
    QTest::newRow("UTF-16 BE BOM, LF")
        << QByteArray("\xFE\xFF" "\0{\x5C\x0F\0}\0\n\0x", 12) << u16(u"{\u5C0F}");
    QTest::newRow("legacy Latin-1 caption")
        << QByteArray("{\"caption\":\"caf\xE9\"}\r\nrest") << u16(u"{\"caption\":\"caf\u00E9\"}");
}

void tst_AnimationFile::readFirstLine()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, expected);
    // A legacy locale: files written before the move to UTF-8 still open.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
    const QString path = m_dir->filePath(QStringLiteral("drill.anim"));
    QVERIFY(writeRaw(QFile::encodeName(path), content));

    QString line = QStringLiteral("unchanged");
    QString error;
    QVERIFY2(AnimationFile::readFirstLine(path, &line, &error), qPrintable(error));
    QCOMPARE(line, expected);
}

void tst_AnimationFile::readFirstLineOfLongLine()
{
    // Animations of many frames are one long line; it must not be cut at
    // some buffer size.
    QByteArray content("{\"frames\":\"");
    content += QByteArray(3 * 1024 * 1024, 'x');
    content += "\"}";
    const QString path = m_dir->filePath(QStringLiteral("long.anim"));
    QVERIFY(writeRaw(QFile::encodeName(path), content + "\nsecond"));

    QString line;
    QString error;
    QVERIFY2(AnimationFile::readFirstLine(path, &line, &error), qPrintable(error));
    QCOMPARE(line.size(), content.size());
    QCOMPARE(line.toLatin1(), content);
}

void tst_AnimationFile::nonAsciiPaths()
{
    // Names on disk are UTF-8 on this platform; the fixture makes and
    // checks them byte by byte, without Qt.
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    const QByteArray folder = QFile::encodeName(m_dir->path()) + "/Trainingspl\xC3\xA4ne \xE5\xB0\x8F";
    QCOMPARE(::mkdir(folder.constData(), 0755), 0);
    const QString folderPath = m_dir->path() + u16(u"/Trainingspl\u00E4ne \u5C0F");

    const QByteArray readName = folder + "/\xC3\x9C" "bung \xC3\xA4.anim";
    QVERIFY(writeRaw(readName, "{\"drill\":1}\nsecond"));
    QString line;
    QString error;
    QVERIFY2(AnimationFile::readFirstLine(folderPath + u16(u"/\u00DCbung \u00E4.anim"), &line, &error),
             qPrintable(error));
    QCOMPARE(line, QStringLiteral("{\"drill\":1}"));

    QVERIFY2(AnimationFile::write(folderPath + u16(u"/Spielz\u00FCge \U0001F3C9.anim"), QStringLiteral("{\"saved\":2}"),
                                  &error),
             qPrintable(error));
    QCOMPARE(readRaw(folder + "/Spielz\xC3\xBCge \xF0\x9F\x8F\x89.anim"), QByteArray("{\"saved\":2}"));
    QCOMPARE(entriesOf(folderPath).size(), 2);
}

void tst_AnimationFile::readFailures_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("missing file") << QStringLiteral("missing.anim") << platformReason(ENOENT);
    QTest::newRow("missing folder") << QStringLiteral("nowhere/drill.anim") << platformReason(ENOENT);
    QTest::newRow("path under a regular file") << QStringLiteral("plain.txt/drill.anim") << platformReason(ENOTDIR);
    QTest::newRow("a folder") << QStringLiteral("folder.anim")
                              << QStringLiteral("This is a folder, not an animation file.");
}

void tst_AnimationFile::readFailures()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, expectedError);
    QVERIFY(writeRaw(QFile::encodeName(m_dir->filePath(QStringLiteral("plain.txt"))), "text"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.anim")));

    QString line;
    QString error;
    QVERIFY(!AnimationFile::readFirstLine(m_dir->filePath(relativePath), &line, &error));
    QCOMPARE(error, expectedError);
    QVERIFY(line.isEmpty());
}

// Paths that reading would never finish with, or would fill memory from:
// each must be refused from its kind or size alone. CTest also runs this
// under a short `timeout`, so a regression fails instead of hanging.
void tst_AnimationFile::refusedUnread_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expectedError");

    const QString device = QStringLiteral("This is a device, not an animation file.");
    QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero") << device;
    QTest::newRow("/dev/urandom") << QStringLiteral("/dev/urandom") << device;
    QTest::newRow("a link to /dev/zero") << QStringLiteral("@link") << device;
    QTest::newRow("a FIFO with no writer") << QStringLiteral("@fifo")
                                           << QStringLiteral("This is a pipe, not an animation file.");
    QTest::newRow("a socket") << QStringLiteral("@socket")
                              << QStringLiteral("This is a socket, not an animation file.");
    QTest::newRow("1.1 GB of zeros, sparse") << QStringLiteral("@sparse:1181116006")
                                             << QStringLiteral("The file is 1127 MB; an animation file is at most 64 MB.");
    QTest::newRow("one byte over 64 MiB") << QStringLiteral("@sparse:67108865")
                                          << QStringLiteral("The file is 65 MB; an animation file is at most 64 MB.");
}

void tst_AnimationFile::refusedUnread()
{
    QFETCH(QString, path);
    QFETCH(QString, expectedError);
    const QByteArray made = QFile::encodeName(m_dir->filePath(QStringLiteral("made.anim")));
    if (path == QLatin1String("@link")) {
        QCOMPARE(::symlink("/dev/zero", made.constData()), 0);
    } else if (path == QLatin1String("@fifo")) {
        QCOMPARE(::mkfifo(made.constData(), 0644), 0);
    } else if (path == QLatin1String("@socket")) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        QVERIFY(size_t(made.size()) < sizeof address.sun_path);
        std::strcpy(address.sun_path, made.constData());
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
    } else if (path.startsWith(QLatin1String("@sparse:"))) {
        QVERIFY(writeRaw(made, QByteArray()));
        QCOMPARE(::truncate(made.constData(), off_t(path.mid(8).toLongLong())), 0);
    }
    if (path.startsWith(QLatin1Char('@')))
        path = QFile::decodeName(made);

    QString line = QStringLiteral("untouched");
    QString error;
    QVERIFY(!AnimationFile::readFirstLine(path, &line, &error));
    QCOMPARE(error, expectedError);
    QCOMPARE(line, QStringLiteral("untouched"));
}

void tst_AnimationFile::writeExactUtf8_data()
{
    QTest::addColumn<QByteArray>("localeCodec");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expectedBytes");

    const struct {
        const char *name;
        QString text;
        QByteArray bytes;
    } texts[] = {
        {"ASCII JSON", QStringLiteral("{\"signature\":\"OVRI_Animation\"}"),
         QByteArray("{\"signature\":\"OVRI_Animation\"}")},
        {"caption with e-acute", u16(u"{\"caption\":\"caf\u00E9\"}"), QByteArray("{\"caption\":\"caf\xC3\xA9\"}")},
        // Not representable in Latin-1 or windows-1252: a writer that used
        // the locale codec would put "?" in the file.
        {"caption with CJK and emoji", u16(u"{\"caption\":\"\u5C0F \U0001F3C9\"}"),
         QByteArray("{\"caption\":\"\xE5\xB0\x8F \xF0\x9F\x8F\x89\"}")},
        {"empty text", QString(), QByteArray()},
        {"line breaks kept as given", QStringLiteral("a\nb\r\nc"), QByteArray("a\nb\r\nc")},
    };
    for (const char *codec : {"ISO-8859-1", "windows-1252", "UTF-8"}) {
        for (const auto &t : texts)
            QTest::addRow("%s, %s locale", t.name, codec) << QByteArray(codec) << t.text << t.bytes;
    }
}

void tst_AnimationFile::writeExactUtf8()
{
    QFETCH(QByteArray, localeCodec);
    QFETCH(QString, text);
    QFETCH(QByteArray, expectedBytes);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName(localeCodec));
    const QString path = m_dir->filePath(QStringLiteral("drill.anim"));

    QString error;
    QVERIFY2(AnimationFile::write(path, text, &error), qPrintable(error));
    // Byte for byte: no byte-order mark in front, no line break added.
    QCOMPARE(readRaw(QFile::encodeName(path)), expectedBytes);
    QCOMPARE(entriesOf(m_dir->path()), QStringList{QStringLiteral("drill.anim")});

    if (!text.contains(QLatin1Char('\n'))) {
        QString line;
        QVERIFY2(AnimationFile::readFirstLine(path, &line, &error), qPrintable(error));
        QCOMPARE(line, text);
    }
}

void tst_AnimationFile::writeReplacesExistingFile()
{
    const QString path = m_dir->filePath(QStringLiteral("drill.anim"));
    QVERIFY(writeRaw(QFile::encodeName(path), "a much longer earlier animation\nwith a second line\n"));

    QString error;
    QVERIFY2(AnimationFile::write(path, QStringLiteral("{\"new\":1}"), &error), qPrintable(error));
    QCOMPARE(readRaw(QFile::encodeName(path)), QByteArray("{\"new\":1}"));
    QCOMPARE(entriesOf(m_dir->path()), QStringList{QStringLiteral("drill.anim")});
}

void tst_AnimationFile::writeToUnwritableTarget_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("path under a regular file") << QStringLiteral("plain.txt/x.anim") << platformReason(ENOTDIR);
    QTest::newRow("missing folder") << QStringLiteral("nowhere/x.anim") << platformReason(ENOENT);
    QTest::newRow("a folder") << QStringLiteral("folder.anim") << QStringLiteral("Filename refers to a directory");
}

void tst_AnimationFile::writeToUnwritableTarget()
{
    QFETCH(QString, relativePath);
    QFETCH(QString, expectedError);
    const QByteArray plain = QFile::encodeName(m_dir->filePath(QStringLiteral("plain.txt")));
    QVERIFY(writeRaw(plain, "plain text"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.anim")));
    const QStringList before = entriesOf(m_dir->path());

    QString error;
    QVERIFY(!AnimationFile::write(m_dir->filePath(relativePath), QStringLiteral("{\"a\":1}"), &error));
    QCOMPARE(error, expectedError);

    QCOMPARE(entriesOf(m_dir->path()), before);
    QCOMPARE(readRaw(plain), QByteArray("plain text"));
    QVERIFY(entriesOf(m_dir->filePath(QStringLiteral("folder.anim"))).isEmpty());
}

void tst_AnimationFile::failedWriteKeepsExistingFile_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("textSize");

    // Qt keeps small writes in a buffer and only writes them out when the
    // file is committed; large ones go to the disk at once. A failure must
    // be caught in both places.
    QTest::newRow("small text over an existing file") << true << 4 * 1024;
    QTest::newRow("large text over an existing file") << true << 1024 * 1024;
    QTest::newRow("small text, no earlier file") << false << 4 * 1024;
    QTest::newRow("large text, no earlier file") << false << 1024 * 1024;
}

void tst_AnimationFile::failedWriteKeepsExistingFile()
{
    QFETCH(bool, existing);
    QFETCH(int, textSize);
    const QString path = m_dir->filePath(QStringLiteral("drill.anim"));
    const QByteArray old("{\"signature\":\"OVRI_Animation\",\"old\":true}");
    if (existing)
        QVERIFY(writeRaw(QFile::encodeName(path), old));
    const QStringList before = entriesOf(m_dir->path());
    const QString text = QStringLiteral("{\"frames\":\"") + QString(textSize, QLatin1Char('y')) + QStringLiteral("\"}");

    bool written;
    QString error;
    {
        FileSizeLimit limit(1024);
        QVERIFY(limit.isActive());
        written = AnimationFile::write(path, text, &error);
    }

    QVERIFY2(!written, "the write cannot have succeeded past the size limit");
    QCOMPARE(error, platformReason(EFBIG)); // the system's reason, not "Unknown error"
    if (existing)
        QCOMPARE(readRaw(QFile::encodeName(path)), old);
    QCOMPARE(entriesOf(m_dir->path()), before);
}

QTEST_GUILESS_MAIN(tst_AnimationFile)
#include "tst_AnimationFile.moc"
