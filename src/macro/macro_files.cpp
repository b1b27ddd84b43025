#include "macro/macro_files.h"

#include <vector>

#include "log/log.h"
#include "platform/file_names.h"

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string WithoutTrailingSeparators(std::u16string path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.pop_back();
  return path;
}

// Where the folders of a path begin: after "C:\" or "\\server\share\", else at its start.
size_t FirstFolderStart(const std::u16string& path) {
  if (path.size() >= 2 && path[1] == u':') return IsSeparator(path.size() > 2 ? path[2] : 0) ? 3 : 2;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t seps = 0, i = 2;
    for (; i < path.size() && seps < 2; ++i)
      if (IsSeparator(path[i])) ++seps;
    return i;
  }
  return IsSeparator(path.empty() ? 0 : path[0]) ? 1 : 0;
}

bool IsWalkable(const plat::DirEntry& entry) {
  return entry.isDirectory && !entry.isLink && !IsSkippedFolderName(entry.name);
}

void CopyTree(const std::u16string& folder, const std::u16string& target) {
  if (folder.size() >= kMacroMaxFolderChars) return;
  std::vector<plat::DirEntry> entries;
  if (!plat::ListDirectory(folder, entries)) return;
  for (const plat::DirEntry& entry : entries) {
    const std::u16string source = folder + u"\\" + entry.name;
    const std::u16string copy = target + u"\\" + entry.name;
    if (entry.isDirectory) {
      if (IsWalkable(entry)) CopyTree(source, copy);
    } else {
      MyCopyFile(source, copy);
    }
  }
}

}  // namespace

bool MakeSureFolderExist(const std::u16string& path) {
  const size_t last = path.find_last_of(u"\\/");
  if (last == std::u16string::npos) return true;
  for (size_t i = FirstFolderStart(path); i <= last; ++i) {
    if (!IsSeparator(path[i]) || i == 0 || IsSeparator(path[i - 1])) continue;
    const std::u16string partial = path.substr(0, i);
    if (plat::IsDirectory(partial)) continue;
    if (!plat::MakeDirectory(partial) && plat::LastError() != plat::kErrAlreadyExists) {
      uint32_t err = plat::LastError();
      LogPrint(u"MakeSureFolderExist: create dir %s, err=0x%x", partial.c_str(), err);
      plat::SetLastError(err);
      return false;
    }
  }
  return true;
}

plat::File MyCreateFile(const std::u16string& path) {
  plat::File file = plat::OpenFile(path, plat::FileMode::CreateAlways);
  if (file) return file;
  uint32_t err = plat::LastError();
  if (err == plat::kErrPathNotFound) {
    if (!MakeSureFolderExist(path)) return file;
    return plat::OpenFile(path, plat::FileMode::CreateAlways);
  }
  LogPrint(u"MyCreateFile: %s, error=0x%x", path.c_str(), err);
  plat::SetLastError(err);
  return file;
}

bool MyCopyFile(const std::u16string& from, const std::u16string& to) {
  if (plat::CopyFileTo(from, to, false)) return true;
  uint32_t err = plat::LastError();
  if (err == plat::kErrPathNotFound && MakeSureFolderExist(to)) {
    if (plat::CopyFileTo(from, to, false)) return true;
    err = plat::LastError();
  }
  LogPrint(u"MyCopyFile: %s, error=0x%x", from.c_str(), err);
  plat::SetLastError(err);
  return false;
}

bool DeleteFolderTree(const std::u16string& folder) {
  if (folder.empty()) {
    plat::SetLastError(plat::kErrInvalidParameter);
    return false;
  }
  const std::u16string base = WithoutTrailingSeparators(folder);
  // Only part of such a folder could be reached; deleting "some of it" is no success.
  if (base.size() >= kMacroMaxFolderChars) {
    plat::SetLastError(plat::kErrFilenameTooLong);
    return false;
  }
  if (plat::IsLink(base)) return plat::RemoveLink(base);
  std::vector<plat::DirEntry> entries;
  if (plat::ListDirectory(base, entries)) {
    for (const plat::DirEntry& entry : entries) {
      const std::u16string path = base + u"\\" + entry.name;
      if (entry.isLink) {
        if (!plat::RemoveLink(path)) {
          uint32_t err = plat::LastError();
          LogPrint(u"DeleteFile %s, err=%d", path.c_str(), err);
          plat::SetLastError(err);
          return false;
        }
        continue;
      }
      if (entry.isDirectory) {
        // Hidden folders stay, and then so does the folder holding them.
        if (!IsSkippedFolderName(entry.name) && !DeleteFolderTree(path)) return false;
        continue;
      }
      plat::SetNormalAttributes(path);
      if (!plat::RemoveFile(path)) {
        uint32_t err = plat::LastError();
        LogPrint(u"DeleteFile %s, err=%d", path.c_str(), err);
        plat::SetLastError(err);
        return false;
      }
    }
  }
  plat::SetNormalAttributes(base);
  return plat::RemoveDirectory(base);
}

bool IsSameOrBelow(const std::u16string& path, const std::u16string& folder) {
  const std::u16string p = WithoutTrailingSeparators(path), f = WithoutTrailingSeparators(folder);
  if (p.size() < f.size() || f.empty()) return false;
  if (!plat::SameFileName(p.substr(0, f.size()), f)) return false;
  return p.size() == f.size() || IsSeparator(p[f.size()]) || IsSeparator(f.back());
}

bool IsVolumeRoot(const std::u16string& path) {
  std::u16string p = path;
  while (!p.empty() && IsSeparator(p.back())) p.pop_back();
  if (p.empty()) return true;
  if (p.size() == 2 && p[1] == u':') return true;
  if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
    size_t seps = 0;
    for (size_t i = 2; i < p.size(); ++i) seps += IsSeparator(p[i]) ? 1 : 0;
    return seps <= 1;  // "\\server" or "\\server\share"
  }
  return false;
}

std::u16string LastPathPart(const std::u16string& path) {
  const std::u16string p = WithoutTrailingSeparators(path);
  const size_t sep = p.find_last_of(u"\\/");
  return sep == std::u16string::npos ? p : p.substr(sep + 1);
}

bool CopyFolderTree(const std::u16string& from, const std::u16string& into) {
  if (IsSameOrBelow(into, from)) {
    plat::SetLastError(plat::kErrInvalidParameter);
    return false;
  }
  const std::u16string source = WithoutTrailingSeparators(from);
  CopyTree(source, WithoutTrailingSeparators(into) + u"\\" + LastPathPart(source));
  return true;
}

bool CleanItemName(const std::u16string& typed, bool cutExtension, std::u16string* clean, bool isMacro) {
  std::u16string name = typed;
  if (cutExtension) {
    const size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos) name.resize(dot);
  }
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000; };
  size_t begin = 0, end = name.size();
  while (begin < end && blank(name[begin])) ++begin;
  while (end > begin && blank(name[end - 1])) --end;
  name = name.substr(begin, end - begin);
  if (clean) *clean = name;
  // A folder the scans never enter would vanish from the tree, with its macros, at the next load.
  if (!isMacro && IsSkippedFolderName(name)) return false;
  // The name itself and the file it becomes must both be names the system keeps as given.
  return plat::IsUsableFileName(name) && plat::IsUsableFileName(ItemFileName(name, isMacro));
}

std::u16string ItemFileName(const std::u16string& name, bool isMacro) {
  return isMacro ? name + u".mck" : name;
}
