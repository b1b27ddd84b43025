// What a command wrote to a temporary stream (std::tmpfile), read back and closed.
#pragma once

#include <cstdio>
#include <string>

inline std::string StreamText(FILE* f) {
  std::string s;
  std::rewind(f);
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  std::fclose(f);
  return s;
}
