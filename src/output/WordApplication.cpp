#include "output/WordApplication.h"

#include "fonts/FontFileName.h"
#include "output/DocxWriter.h"
#include "platform/DocumentOpener.h"
#include "platform/FileFaces.h"
#include "platform/FontResources.h"
#include "util/FilePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>

#include <cerrno>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace output {
namespace {

// One document as typed: the last paragraph is the one the insertion point is in.
struct TypedDocument
{
    docx::Document document;
    docx::Format format; ///< the selection's font: applies to what is typed next
    bool shown = false;

    TypedDocument()
    {
        format.font = QStringLiteral("Times New Roman");
        document.paragraphs.append(docx::Paragraph{{}, format});
    }
};

// What the fonts added for the run give one document.
struct RunFonts
{
    QList<docx::FontFile> files; ///< carried, one file for each name
    QSet<QString> named;         ///< the document's names that are names of added files
    QStringList tooLarge;        ///< files of names not carried because the files are too large
    QByteArrayList local;        ///< one file for each name, for the word processor started here
};

// The fonts added for this run among `names`, each with its file's contents, to carry and to hand
// to the word processor. Installed fonts are not among them: the list adds a folder's file only
// when its name is not installed. A file is read as the sheet draws it: bounded, without
// blocking, and only as the very file that was listed; one that cannot be read so stays out
// without a word, as the list marks it already.
RunFonts runFontFiles(const QSet<QString> &names)
{
    RunFonts fonts;
    if (!qGuiApp || names.isEmpty())
        return fonts;
    QStringList added = platform::FontResources::instance().addedFiles();
    // The same order every time, so that of two files with one name the same one travels.
    added.sort();
    QSet<QString> carried;
    QSet<QString> local;
    qint64 localTotal = 0;
    // Name and path of each file left out for its size, in path order.
    QList<std::pair<QString, QString>> oversized;
    qint64 total = 0;
    for (const QString &path : std::as_const(added)) {
        const QString name = ReadFontFileName(path);
        if (!names.contains(name))
            continue;
        fonts.named.insert(name);
        if (carried.contains(name) && local.contains(name))
            continue;
        platform::FontFileBytes read = platform::FileFaces::instance().fileBytes(path);
        if (read.fault == platform::FontFileFault::TooLarge) {
            oversized.append({name, path});
            continue;
        }
        // The word processor's font system reads every name of a font it is given, here and
        // wherever the document is opened: a folder's file goes to it with its names bounded.
        if (!read.bytes.isEmpty()) {
            read.bytes = platform::withBoundedNames(std::move(read.bytes));
            // A font whose names cannot be bounded within reason goes to no one.
            if (read.bytes.isEmpty())
                read.fault = platform::FontFileFault::Damaged;
        }
        // The word processor started here takes the files as fonts of its own, whatever their
        // embedding permission: that is the use of an installed font, not a copy in a document.
        if (read.fault == platform::FontFileFault::None && !local.contains(name)
            && localTotal + read.bytes.size() <= kMaxCarriedFontBytes) {
            localTotal += read.bytes.size();
            local.insert(name);
            fonts.local.append(read.bytes);
        }
        if (carried.contains(name))
            continue;
        // A file the document could not carry anyway leaves the name to the next file of it.
        if (read.fault != platform::FontFileFault::None || docx::embeddingOf(read.bytes) != docx::Embedding::Allowed)
            continue;
        if (total + read.bytes.size() > kMaxCarriedFontBytes) {
            oversized.append({name, path});
            continue;
        }
        total += read.bytes.size();
        carried.insert(name);
        fonts.files.append({name, read.bytes});
    }
    // A name another file of it carries needs no word about its larger files.
    for (const auto &[name, path] : std::as_const(oversized))
        if (!carried.contains(name))
            fonts.tooLarge.append(path);
    return fonts;
}

// The files documents shown since the application object was made could not carry for their
// size, each once, in the order met.
QStringList &tooLargeRecord()
{
    static QStringList record;
    return record;
}

// Qt lists a family offered by several foundries as "Family [Foundry]"; the word processor knows
// the family by its plain name.
QString plainFamily(const QString &name)
{
    static const QRegularExpression qualified(QStringLiteral("^(.+) \\[[^\\]]+\\]$"));
    const QRegularExpressionMatch match = qualified.match(name);
    return match.hasMatch() ? match.captured(1) : name;
}

QString &destination()
{
    static QString path;
    return path;
}

void show(TypedDocument &typed)
{
    docx::Document document = typed.document;
    QSet<QString> names;
    for (const docx::Paragraph &paragraph : std::as_const(document.paragraphs))
        for (const docx::Run &run : paragraph.runs)
            names.insert(run.format.font);
    const RunFonts fonts = runFontFiles(names);
    // A name of an added file is the file's own, also where its file does not travel.
    const auto rename = [&fonts](docx::Format &format) {
        if (!fonts.named.contains(format.font))
            format.font = plainFamily(format.font);
    };
    for (docx::Paragraph &paragraph : document.paragraphs) {
        rename(paragraph.mark);
        for (docx::Run &run : paragraph.runs)
            rename(run.format);
    }

    QStringList &record = tooLargeRecord();
    const auto noteTooLarge = [&] {
        for (const QString &file : fonts.tooLarge)
            if (!record.contains(file))
                record.append(file);
    };
    // A document for a given file is written there, whole or not at all, and left unopened.
    if (!destination().isEmpty()) {
        docx::write(document, fonts.files, destination());
        typed.shown = true;
        noteTooLarge();
        return;
    }

    // A unique name, taken before the document is written in its place.
    const QString folder = prepareDocumentFolder();
    QTemporaryFile placeholder(folder + QStringLiteral("/Glyphworks-XXXXXX.docx"));
    placeholder.setAutoRemove(false);
    if (!placeholder.open())
        throw DocumentFolderError(DocumentFolderError::Failed, folder, placeholder.errorString());
    const QString path = placeholder.fileName();
    placeholder.close();
    docx::write(document, fonts.files, path);
    // Writer may replace a font the document carries (one with CFF outlines, .otf) and cannot
    // show one that may not travel in it; the fonts handed to a Writer this program starts show.
    const QString fontConfiguration = fonts.local.isEmpty()
                                          ? QString()
                                          : platform::writeFontConfiguration(folder, fonts.local);
    typed.shown = true;
    noteTooLarge();
    platform::documentOpener().openAsNewWithFonts(path, fontConfiguration);
}

constexpr char kProgramFolder[] = "glyphworks";
constexpr char kDocumentsFolder[] = "documents";
constexpr char kDocumentPath[] = "glyphworks/documents";

// The user's cache folder by the XDG rule: $XDG_CACHE_HOME when it is an absolute path, else
// $HOME/.cache when HOME is one (a relative one is ignored); empty when neither is.
QString cacheFolder()
{
    const QString xdg = util::decodePath(qgetenv("XDG_CACHE_HOME"));
    if (xdg.startsWith(QLatin1Char('/')))
        return xdg;
    const QString home = util::decodePath(qgetenv("HOME"));
    if (home.startsWith(QLatin1Char('/')))
        return home == QLatin1String("/") ? QStringLiteral("/.cache") : home + QStringLiteral("/.cache");
    return {};
}

// An open descriptor, closed with its owner.
struct Descriptor
{
    int fd = -1;
    explicit Descriptor(int descriptor)
        : fd(descriptor)
    {
    }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    explicit operator bool() const { return fd >= 0; }
};

// Opens the folder `name` in the folder `parent`, never following a link, and only when it is
// the user's own; with `create`, makes it first when missing, readable by the user alone. Returns
// the descriptor, or -1 with errno set (EPERM for another user's folder).
int openOwnFolder(int parent, const char *name, bool create)
{
    const bool made = create && ::mkdirat(parent, name, 0700) == 0;
    if (create && !made && errno != EEXIST)
        return -1;
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid()) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    // Only a folder made here has its mode set: the umask may have taken more than asked.
    if (made)
        ::fchmod(fd, 0700);
    return fd;
}

class WordApplication : public WordProcessor
{
public:
    // A new, empty document becomes the active one, with the insertion point at its start.
    void documentsAdd() override
    {
        m_documents.push_back(std::make_unique<TypedDocument>());
        m_active = m_documents.back().get();
    }

    void setOrientation(PageOrientation orientation) override
    {
        active().document.landscape = orientation == PageOrientation::Landscape;
    }

    void setFontName(const QString &name) override { active().format.font = name; }

    void setFontSize(int points) override
    {
        docx::Format &format = active().format;
        if (points < 1 || points > docx::kMaxFontSize)
            throw util::Error(QStringLiteral("The font size %1 is out of range (1 to %2 points).")
                                      .arg(points)
                                      .arg(docx::kMaxFontSize));
        format.size = points;
    }

    void setFontBold(bool bold) override { active().format.bold = bold; }

    void setFontItalic(bool italic) override { active().format.italic = italic; }

    void typeText(const QString &text) override
    {
        TypedDocument &typed = active();
        typed.document.paragraphs.last().runs.append({text, typed.format});
    }

    void typeParagraph() override
    {
        TypedDocument &typed = active();
        // The ended paragraph's mark takes the font in force; the new paragraph starts with it.
        typed.document.paragraphs.last().mark = typed.format;
        typed.document.paragraphs.append(docx::Paragraph{{}, typed.format});
    }

    void setVisible(bool visible) override
    {
        m_visible = visible;
        // Showing the application shows each document not shown yet; a document keeps being
        // shown once it is, whatever is typed into it later.
        if (m_visible)
            for (const auto &document : m_documents)
                if (!document->shown)
                    show(*document);
    }

private:
    TypedDocument &active() const
    {
        if (!m_active)
            throw util::Error(QStringLiteral("No document is open."));
        return *m_active;
    }

    std::vector<std::unique_ptr<TypedDocument>> m_documents;
    TypedDocument *m_active = nullptr;
    bool m_visible = false;
};

WordApplicationFactory &factoryInPlace()
{
    static WordApplicationFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<WordProcessor> createWordApplication()
{
    if (destination().isEmpty() && !platform::documentOpener().available())
        throw util::Error(QStringLiteral("No word processor is installed."));
    tooLargeRecord().clear();
    return std::make_unique<WordApplication>();
}

WordApplicationFactory setWordApplicationFactory(WordApplicationFactory factory)
{
    return std::exchange(factoryInPlace(), std::move(factory));
}

std::unique_ptr<WordProcessor> startWordApplication()
{
    const WordApplicationFactory &factory = factoryInPlace();
    std::unique_ptr<WordProcessor> word = factory ? factory() : createWordApplication();
    if (!word)
        throw util::Error(QStringLiteral("No word processor could be started."));
    return word;
}

QStringList takeFontFilesTooLargeToCarry()
{
    return std::exchange(tooLargeRecord(), {});
}

void setDocumentDestination(const QString &path)
{
    destination() = path;
}

QString documentDestination()
{
    return destination();
}

QString documentFolder()
{
    const QString folder = cacheFolder();
    return folder.isEmpty() ? folder : folder + QLatin1Char('/') + QLatin1String(kDocumentPath);
}

QString prepareDocumentFolder()
{
    const QString cache = cacheFolder();
    if (cache.isEmpty())
        throw DocumentFolderError(DocumentFolderError::NoCacheFolder, QString(),
                                  QStringLiteral("No folder for documents is known: neither XDG_CACHE_HOME nor HOME "
                                                 "is set to an absolute path."));
    const QString folder = documentFolder();
    const auto failed = [&folder](int error) {
        if (error == ELOOP || error == ENOTDIR || error == EPERM)
            throw DocumentFolderError(DocumentFolderError::NotOwnFolder, folder,
                                      QStringLiteral("No document can be made in %1: it is a link, no folder, or "
                                                     "another user's folder.").arg(folder));
        throw DocumentFolderError(DocumentFolderError::Failed, folder, qt_error_string(error));
    };
    // The cache folder is the user's own choice, a link or not; opening it tells whether making
    // it (when missing) worked.
    QDir().mkpath(cache);
    const Descriptor base(::open(util::encodePath(cache).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!base)
        failed(errno);
    const Descriptor program(openOwnFolder(base.fd, kProgramFolder, true));
    if (!program)
        failed(errno);
    const Descriptor documents(openOwnFolder(program.fd, kDocumentsFolder, true));
    if (!documents)
        failed(errno);
    return folder;
}

int removeOldDocuments(const QDateTime &before)
{
    const QString cache = cacheFolder();
    if (cache.isEmpty())
        return 0;
    const Descriptor base(::open(util::encodePath(cache).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const Descriptor program(base ? openOwnFolder(base.fd, kProgramFolder, false) : -1);
    const Descriptor documents(program ? openOwnFolder(program.fd, kDocumentsFolder, false) : -1);
    if (!documents)
        return 0;
    DIR *listing = ::fdopendir(::dup(documents.fd));
    if (!listing)
        return 0;
    // Finished documents end in ".docx"; an unfinished one (a write cut short by the end of the
    // process) carries the writer's temporary suffix after it. A Writer still open reads its
    // fonts as it needs them, so their folders stay a week longer than the documents.
    const qint64 documentsBefore = before.toSecsSinceEpoch();
    const qint64 fontsBefore = before.addDays(-7).toSecsSinceEpoch();
    const QString folder = documentFolder();
    int removed = 0;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        const bool document = name.startsWith("Glyphworks-") && name.contains(".docx");
        const bool fonts = name.startsWith(platform::kFontFolderPrefix);
        struct stat st;
        if ((!document && !fonts) || ::fstatat(documents.fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0
            || st.st_uid != ::geteuid())
            continue;
        if (document && S_ISREG(st.st_mode) && st.st_mtime < documentsBefore) {
            if (::unlinkat(documents.fd, name.constData(), 0) == 0)
                ++removed;
        } else if (fonts && S_ISDIR(st.st_mode) && st.st_mtime < fontsBefore) {
            // removeRecursively() removes links, never what they point to.
            if (QDir(folder + QLatin1Char('/') + util::decodePath(name)).removeRecursively())
                ++removed;
        }
    }
    ::closedir(listing);
    return removed;
}

} // namespace output
