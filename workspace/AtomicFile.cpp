#include "workspace/AtomicFile.h"

#include "fileio/FileError.h"

AtomicFile::Factory AtomicFile::DefaultFactory()
{
    return [](const QString& path) { return std::make_unique<AtomicDevice>(path); };
}

void AtomicFile::Write(const Factory& factory, const QString& path, std::string_view bytes)
{
    Write(factory, path, [bytes](QIODevice& out) {
        const auto size = static_cast<qint64>(bytes.size());
        if (out.write(bytes.data(), size) != size)
            throw EFileError(out.errorString().toStdString());
    });
}

void AtomicFile::Write(const Factory& factory, const QString& path,
                       const std::function<void(QIODevice&)>& produce)
{
    std::unique_ptr<AtomicDevice> out = factory(path);
    if (!out->open(QIODevice::WriteOnly))
        throw EFileError(out->Failure());
    try {
        produce(*out);
    } catch (const EFileError&) {
        // The producer noticed a refused write; the device knows why.
        out->Cancel();
        if (!out->Failure().empty())
            throw EFileError(out->Failure());
        throw;
    } catch (...) {
        out->Cancel();
        throw;
    }
    out->Commit();
}
