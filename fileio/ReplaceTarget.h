#pragma once

#include <string>

// The file a write to `path` replaces: `path` itself, or the file a chain of
// symbolic links ends at (the links stay). A link in a folder that everyone
// may write into but only owners may delete from (the sticky bit, as /tmp)
// is followed only when it belongs to the caller or to the folder's owner:
// anyone else could have planted it to make the caller overwrite a file of
// the caller's own. Such a link throws EFileError naming `path`.
std::string ReplaceTarget(const std::string& path);

// How a replace question names the file: its name as given, or, when `path`
// is a link, the whole path of the file that will really be replaced. Never
// throws: a refused link is named as given, and the write refuses it.
std::string ReplacedFileName(const std::string& path);
