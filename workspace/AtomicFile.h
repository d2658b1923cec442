#pragma once

#include "fileio/AtomicDevice.h"

#include <functional>
#include <memory>
#include <string_view>

// Every file the workspace writes (the working files, the declaration, the
// reports) is replaced whole through here, over the same writer the record
// store and the archive use: a failure at any point leaves the earlier file
// as it was and is thrown as EFileError naming the file and the reason.
class AtomicFile
{
public:
    // Makes the device a file is written through; tests put a device there
    // that fails half-way.
    using Factory = std::function<std::unique_ptr<AtomicDevice>(const QString& path)>;
    static Factory DefaultFactory();

    // `bytes` become the whole content of `path`.
    static void Write(const Factory& factory, const QString& path, std::string_view bytes);
    // `produce` writes the content to the device; whatever it throws is
    // thrown on, with the earlier file left in place. A write the device
    // refused is reported with the device's own reason.
    static void Write(const Factory& factory, const QString& path,
                      const std::function<void(QIODevice&)>& produce);
};
