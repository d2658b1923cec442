#include "fileio/AtomicDevice.h"

#include "fileio/FileError.h"

AtomicDevice::AtomicDevice(const QString& path) : m_path(path) {}

AtomicDevice::~AtomicDevice() = default;

bool AtomicDevice::open(OpenMode mode)
{
    if ((mode & ReadOnly) || !(mode & WriteOnly) || (mode & Append)) {
        setErrorString(QStringLiteral("write-only device"));
        return false;
    }
    try {
        m_writer = std::make_unique<AtomicWriter>(m_path.toStdString());
    } catch (const EFileError& e) {
        SetFailure(e.what());
        return false;
    }
    m_writer->AddPermissions(m_extraMode);
    return QIODevice::open(mode | Unbuffered);
}

void AtomicDevice::SetFailure(const std::string& message)
{
    if (m_failure.empty())
        m_failure = message;
    setErrorString(QString::fromStdString(m_failure));
    m_writer.reset();
}

qint64 AtomicDevice::readData(char*, qint64)
{
    return -1;
}

qint64 AtomicDevice::writeData(const char* data, qint64 size)
{
    if (!m_writer)
        return -1;
    try {
        m_writer->Write(std::string_view(data, static_cast<size_t>(size)));
    } catch (const EFileError& e) {
        SetFailure(e.what());
        return -1;
    }
    return size;
}

void AtomicDevice::AddPermissions(mode_t bits)
{
    m_extraMode |= bits;
    if (m_writer)
        m_writer->AddPermissions(bits);
}

void AtomicDevice::Commit()
{
    if (!m_failure.empty() || !m_writer) {
        close();
        throw EFileError(m_failure.empty() ? "Το αρχείο δεν άνοιξε για εγγραφή." : m_failure);
    }
    try {
        m_writer->Commit();
    } catch (const EFileError& e) {
        SetFailure(e.what());
        close();
        throw;
    }
    m_writer.reset();
    close();
}

void AtomicDevice::Cancel()
{
    m_writer.reset();
    close();
}
