#include "workspace/ZipExport.h"

#include "dataset/DataSetErrors.h"
#include "fileio/FileReason.h"
#include "text/Cp1253.h"
#include "workspace/BusyWindow.h"
#include "zip/ZipFile.h"

#include <QFileInfo>

#include <cerrno>
#include <limits>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString Path(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

std::string Quoted(const QString& text)
{
    return "«" + text.toStdString() + "»";
}

// The member's name is the source's file name in the code page the archive's
// names are read in; a character without a place there would come out as
// something else, so such a name is refused.
std::string MemberName(const QFileInfo& source)
{
    std::string name;
    QChar bad;
    if (!cp1253::fromUnicodeChecked(source.fileName(), name, &bad)) {
        throw std::runtime_error("Το όνομα του αρχείου " + Quoted(source.fileName()) +
                                 " έχει τον χαρακτήρα " + Quoted(QString(bad)) +
                                 ", που δεν γράφεται σε όνομα συμπιεσμένου αρχείου. Μετονομάστε το αρχείο.");
    }
    return name;
}

// The source read in pieces, so that a file of any size is packed in little
// memory. The descriptor closes with the archive's writing.
class SourceFile
{
public:
    explicit SourceFile(const QFileInfo& source) : m_path(source.filePath().toStdString())
    {
        // The format counts a member's size in 32 bits: a larger file would
        // give an archive no tool can read.
        if (source.size() > std::numeric_limits<uint32_t>::max()) {
            throw std::runtime_error("Το αρχείο " + Quoted(source.fileName()) +
                                     " είναι μεγαλύτερο από 4 GB και δεν χωράει σε συμπιεσμένο αρχείο zip.");
        }
        if (source.isDir())
            throw EFileError(FileErrorMessage(m_path, EISDIR, FileAction::Read));
        m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0)
            throw EFileError(FileErrorMessage(m_path, errno, FileAction::Read));
    }
    ~SourceFile() { ::close(m_fd); }
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    size_t Read(char* into, size_t size)
    {
        for (;;) {
            const ssize_t got = ::read(m_fd, into, size);
            if (got >= 0)
                return static_cast<size_t>(got);
            if (errno != EINTR)
                throw EFileError(FileErrorMessage(m_path, errno, FileAction::Read));
        }
    }

private:
    std::string m_path;
    int m_fd = -1;
};

} // namespace

void ZipExport::Run(UserInterface& ui, const std::string& programFolder)
{
    std::string source;
    if (!ui.ChooseOpenFile(programFolder, "*.*", source))
        return;
    std::string confirmed;
    if (!ui.ChooseSaveFile(programFolder, QFileInfo(Path(source)).fileName().toStdString(), "*.zip",
                           confirmed))
        return;
    // Where the archive went is not always where the person looked: ".zip"
    // may have been added to the name.
    if (Pack(ui, source, confirmed))
        ui.ShowMessage("Το συμπιεσμένο αρχείο γράφτηκε στο " +
                       QFileInfo(Path(ArchivePath(confirmed))).absoluteFilePath().toStdString());
}

std::string ZipExport::ArchivePath(const std::string& confirmedName)
{
    if (Path(confirmedName).endsWith(QStringLiteral(".zip"), Qt::CaseInsensitive))
        return confirmedName;
    return confirmedName + ".zip";
}

bool ZipExport::Pack(UserInterface& ui, const std::string& source, const std::string& confirmedName)
{
    const std::string archive = ArchivePath(confirmedName);
    const QFileInfo target(Path(archive));
    if (target.exists()) {
        // Packing a file into itself would put the archive where its only
        // copy was.
        if (target.canonicalFilePath() == QFileInfo(Path(source)).canonicalFilePath())
            throw std::runtime_error("Το συμπιεσμένο αρχείο δεν μπορεί να έχει το όνομα του αρχείου που "
                                     "συμπιέζεται. Επιλέξτε άλλο όνομα.");
        const std::string shown = QFileInfo(Path(confirmedName)).fileName().toStdString();
        if (ui.AskWithCaptions("Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο " + shown + ";",
                               UserInterface::YesButton | UserInterface::NoButton,
                               {"Ναι", "Όχι"}) == UserInterface::Answer::No)
            return false;
    }
    {
        const BusyWindow busy(ui);
        WriteArchive(source, archive);
    }
    return true;
}

void ZipExport::WriteArchive(const std::string& source, const std::string& archivePath)
{
    const QFileInfo info(Path(source));
    const std::string name = MemberName(info);
    TZipFile zip;
    zip.AddEntry(name, 0);
    SourceFile file(info);
    zip.SetEntrySource(0, [&file](char* into, size_t size) { return file.Read(into, size); });
    zip.WriteArchiveFile(archivePath);
}
