#pragma once

#include <QSaveFile>
#include <functional>
#include <memory>
#include <string_view>

// Every file the workspace writes (the working files, the declaration) is
// replaced whole through here: the bytes go to a temporary file beside the
// target, which takes the target's name only once every byte is written, so
// a failure at any point leaves the earlier file as it was. (The record store
// keeps its own plain-C++ twin, TLineFile::WriteAtomically, below Qt.)
class AtomicFile
{
public:
    // Makes the device a file is written through; tests put a device there
    // that fails half-way.
    using Factory = std::function<std::unique_ptr<QSaveFile>(const QString& path)>;
    static Factory DefaultFactory();

    // `bytes` become the whole content of `path`. Throws EFileError with the
    // device's reason.
    static void Write(const Factory& factory, const QString& path, std::string_view bytes);
    // `produce` writes the content to the device; whatever it throws is
    // thrown on, with the earlier file left in place.
    static void Write(const Factory& factory, const QString& path,
                      const std::function<void(QIODevice&)>& produce);
};
