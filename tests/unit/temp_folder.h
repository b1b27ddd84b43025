// A fresh folder under /tmp for one test, removed with everything in it when the test is done.
// Files go in and come out through plain stdio, so the platform layer's test hooks (failing
// writes and the like) never get in the way of setting a test up or checking what it left.
#pragma once

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/u16.h"

class TempFolder {
 public:
  // Makes /tmp/<prefix>-XXXXXX.
  explicit TempFolder(const std::string& prefix) {
    std::string name = "/tmp/" + prefix + "-XXXXXX";
    if (!mkdtemp(&name[0])) throw std::runtime_error("mkdtemp " + name + ": " + std::strerror(errno));
    path_ = name;
  }
  ~TempFolder() {
    // Depth first, so each folder is already empty when its turn comes; links are not followed.
    auto remove = [](const char* p, const struct stat*, int, struct FTW*) { return std::remove(p); };
    if (nftw(path_.c_str(), remove, 16, FTW_DEPTH | FTW_PHYS) != 0)
      ADD_FAILURE() << "could not remove " << path_ << ": " << std::strerror(errno);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder itself, or rel inside it; a trailing '/' in rel is kept.
  std::string Path(const std::string& rel = "") const { return rel.empty() ? path_ : path_ + "/" + rel; }
  std::u16string U16Path(const std::string& rel = "") const { return u16::FromUtf8(Path(rel)); }

  // Makes rel and whatever folders above it are missing.
  void MakeFolder(const std::string& rel) const {
    const std::string full = Path(rel);
    for (size_t end = path_.size() + 1; end <= full.size(); ++end) {
      if (end < full.size() && full[end] != '/') continue;
      const std::string step = full.substr(0, end);
      if (mkdir(step.c_str(), 0700) != 0 && errno != EEXIST) {
        ADD_FAILURE() << "could not make " << step << ": " << std::strerror(errno);
        return;
      }
    }
  }

  // Replaces rel with exactly these bytes, making its folders first.
  void Write(const std::string& rel, const std::vector<uint8_t>& bytes) const {
    WriteBytes(rel, bytes.data(), bytes.size());
  }
  void WriteText(const std::string& rel, const std::string& text) const {
    WriteBytes(rel, text.data(), text.size());
  }

  // Everything in rel; nothing when it cannot be opened.
  std::vector<uint8_t> Read(const std::string& rel) const {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(Path(rel).c_str(), "rb");
    if (!f) return out;
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
  }

 private:
  void WriteBytes(const std::string& rel, const void* data, size_t size) const {
    const size_t slash = rel.rfind('/');
    if (slash != std::string::npos) MakeFolder(rel.substr(0, slash));
    const std::string full = Path(rel);
    FILE* f = std::fopen(full.c_str(), "wb");
    if (!f) {
      ADD_FAILURE() << "could not open " << full << ": " << std::strerror(errno);
      return;
    }
    const bool written = std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) ADD_FAILURE() << "could not write " << full;
  }

  std::string path_;
};
