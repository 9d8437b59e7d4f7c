#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gwtest {

QStringList packageFontFiles(const QString &package)
{
    QProcess dpkg;
    dpkg.start(QStringLiteral("dpkg-query"), {QStringLiteral("-L"), package});
    if (!dpkg.waitForFinished(30000) || dpkg.exitCode() != 0)
        return {};
    QStringList files;
    const QStringList lines = QString::fromUtf8(dpkg.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString lower = line.toLower();
        if ((lower.endsWith(QLatin1String(".ttf")) || lower.endsWith(QLatin1String(".otf"))
             || lower.endsWith(QLatin1String(".ttc")) || lower.endsWith(QLatin1String(".t1")))
            && QFileInfo(line).isFile())
            files << line;
    }
    files.sort();
    return files;
}

QString packageFontFile(const QString &package, const QString &fileName)
{
    const QStringList files = packageFontFiles(package);
    for (const QString &f : files)
        if (QFileInfo(f).fileName() == fileName)
            return f;
    qWarning("font file %s of package %s is missing", qPrintable(fileName), qPrintable(package));
    return {};
}

bool copyFile(const QString &source, const QString &targetPath)
{
    QDir().mkpath(QFileInfo(targetPath).absolutePath());
    QFile::remove(targetPath);
    return QFile::copy(source, targetPath);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

bool writeNativeFile(const QByteArray &nativePath, const QByteArray &bytes)
{
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

QString deepFolder(const QString &root, int levels)
{
    QString path = root;
    for (int level = 1; level <= levels; ++level)
        path += QStringLiteral("/d%1").arg(level);
    return path;
}

bool writeDeepFile(const QString &path, const QByteArray &bytes)
{
    const QByteArray native = QFile::encodeName(path);
    const QList<QByteArray> parts = native.split('/');
    int dir = ::open(native.startsWith('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype i = 0; dir >= 0 && i + 1 < parts.size(); ++i) {
        if (parts[i].isEmpty())
            continue;
        ::mkdirat(dir, parts[i].constData(), 0755);
        const int next = ::openat(dir, parts[i].constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(dir);
        dir = next;
    }
    if (dir < 0)
        return false;
    const int fd = ::openat(dir, parts.last().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::close(dir);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return ::close(fd) == 0 && written;
}

bool removeTree(const QString &path)
{
    return QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QStringLiteral("--"), path}) == 0;
}

QString toolOutput(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QStringList &arguments)
{
    QString text = toolOutput(QStringLiteral("pdftotext"), arguments);
    for (char16_t ligature = 0xFB00; ligature <= 0xFB06; ++ligature)
        text.replace(QChar(ligature), QString(QChar(ligature)).normalized(QString::NormalizationForm_KC));
    return text;
}

namespace {

const char *const kRenameScript = R"(
import sys
from fontTools.ttLib import TTFont
src, dst, family, style, full, vendor = sys.argv[1:7]
font = TTFont(src)
table = font['name']
for nid in (1, 2, 3, 4, 6, 16, 17, 21, 22):
    table.removeNames(nameID=nid)
for pid, eid, lid in ((1, 0, 0), (3, 1, 0x409)):
    for nid, text in ((1, family), (2, style), (3, full + ' probe'), (4, full), (6, full.replace(' ', '-'))):
        # Names outside Mac Roman (Greek, Arabic, Japanese) get Windows records only.
        if pid == 1 and any(ord(c) > 127 for c in text):
            continue
        table.setName(text, nid, pid, eid, lid)
if vendor:
    font['OS/2'].achVendID = vendor
font.save(dst)
)";

} // namespace

bool runPython(const char *script, const QStringList &arguments)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + arguments);
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0) {
        qWarning("python3 failed: %s", python.readAllStandardError().constData());
        return false;
    }
    return true;
}

bool makeRenamedFont(const QString &source, const QString &target, const QString &family, const QString &style,
                     const QString &fullName, const QString &vendor)
{
    QDir().mkpath(QFileInfo(target).absolutePath());
    return runPython(kRenameScript, {source, target, family, style, fullName, vendor});
}

QList<HostileFont> makeHostileNamedFonts(const QString &folder, const QString &plantRoot)
{
    const QString sans = packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSans.ttf"));
    const QString serif = packageFontFile(QStringLiteral("fonts-dejavu-core"), QStringLiteral("DejaVuSerif.ttf"));
    const QString pipe = folder + QStringLiteral("/pipe.ttf");
    // The entry of pipe.ttf reads "Mono | <plant>/x/alt | <folder>/pipe.ttf": taken from the first
    // " | " on, its path is the planted file.
    const QString planted = plantRoot + QStringLiteral("/x/alt | ") + pipe;
    if (!makeRenamedFont(serif, planted, QStringLiteral("Gw Planted"), QStringLiteral("Regular"),
                         QStringLiteral("Gw Planted")))
        return {};
    const QList<HostileFont> fonts = {
        {folder + QStringLiteral("/elsewhere.ttf"), QStringLiteral("Pipe | /tmp/elsewhere.ttf"),
         QStringLiteral("Gw Hostile Pipe")},
        {pipe, QStringLiteral("Mono | ") + plantRoot + QStringLiteral("/x/alt"), QStringLiteral("Gw Hostile Mono")},
        {folder + QStringLiteral("/newline.ttf"), QStringLiteral("Line1\nLine2 | /etc/passwd"),
         QStringLiteral("Gw Hostile Newline")},
        {folder + QStringLiteral("/escape.ttf"), QStringLiteral("\x1b[2J\x1b[31mRed"), QStringLiteral("Gw Hostile Escape")},
        {folder + QStringLiteral("/c1.ttf"), QStringLiteral("C1\u0085Next\u2028Line"), QStringLiteral("Gw Hostile C1")},
    };
    for (const HostileFont &font : fonts)
        if (!makeRenamedFont(sans, font.path, font.family, QStringLiteral("Regular"), font.name))
            return {};
    return fonts;
}

QString sourceDir()
{
    return QStringLiteral(GW_SOURCE_DIR);
}

Ink inkOf(const QImage &image)
{
    Ink ink;
    qreal sx = 0, sy = 0, sxy = 0, syy = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) >= 128)
                continue;
            ++ink.amount;
            sx += x;
            sy += -y;
            sxy += qreal(x) * -y;
            syy += qreal(y) * y;
        }
    }
    if (ink.amount > 0) {
        const qreal n = qreal(ink.amount);
        const qreal varY = syy / n - (sy / n) * (sy / n);
        if (varY > 0)
            ink.lean = (sxy / n - (sx / n) * (sy / n)) / varY;
    }
    return ink;
}

bool makeHostile(const QString &path, const QString &kind, const QString &other)
{
    const QByteArray native = QFile::encodeName(path);
    if (kind == QLatin1String("truncated")) {
        QFile file(path);
        return file.resize(file.size() / 2);
    }
    if (kind == QLatin1String("swapped")) {
        const QString swapped = path + QStringLiteral(".new");
        return QFile::copy(other, swapped)
               && std::rename(QFile::encodeName(swapped).constData(), native.constData()) == 0;
    }
    if (kind == QLatin1String("rewritten")) {
        QFile source(other);
        QFile target(path);
        return source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly | QIODevice::Truncate)
               && target.write(source.readAll()) == source.size() && target.flush();
    }
    if (!QFile::remove(path))
        return false;
    if (kind == QLatin1String("FIFO"))
        return ::mkfifo(native.constData(), 0600) == 0;
    if (kind == QLatin1String("device link"))
        return ::symlink("/dev/zero", native.constData()) == 0;
    return kind == QLatin1String("deleted");
}

fonts::FontListEntries recordsOf(const QStringList &texts)
{
    fonts::FontListEntries records;
    for (const QString &text : texts) {
        const qsizetype bar = text.indexOf(QStringLiteral(" | "));
        records << (bar < 0 ? fonts::FontListEntry::typeface(text)
                            : fonts::FontListEntry::file(text.left(bar), text.mid(bar + 3)));
    }
    return records;
}

} // namespace gwtest
