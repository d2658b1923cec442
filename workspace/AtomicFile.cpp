#include "workspace/AtomicFile.h"

#include "dataset/DataSetErrors.h"

namespace {

[[noreturn]] void CannotCreate(const QString& path, const QString& reason)
{
    throw EFileError("Cannot create file \"" + path.toStdString() + "\". " + reason.toStdString());
}

} // namespace

AtomicFile::Factory AtomicFile::DefaultFactory()
{
    return [](const QString& path) { return std::make_unique<QSaveFile>(path); };
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
    std::unique_ptr<QSaveFile> out = factory(path);
    if (!out->open(QIODevice::WriteOnly))
        CannotCreate(path, out->errorString());
    try {
        produce(*out);
    } catch (const EFileError&) {
        const QString reason = out->errorString();
        out->cancelWriting();
        CannotCreate(path, reason);
    } catch (...) {
        out->cancelWriting();
        throw;
    }
    if (!out->commit())
        CannotCreate(path, out->errorString());
}
