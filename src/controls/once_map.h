// Values made once per key and shared between threads: the first caller for a key makes the
// value, and any other caller for that key meanwhile waits for it rather than making it twice.
#pragma once

#include <future>
#include <map>
#include <mutex>
#include <utility>

namespace ui {

template <typename Key, typename Value>
class OnceMap {
 public:
  // The value for `key`: made now by `make()`, or earlier, or by another thread right now. A
  // value that tests false (a failure) is not kept, so a later call tries again.
  // Forgets the value for `key`, made or being made: a later Get makes it anew. Whoever holds
  // or waits for it keeps it.
  void Erase(const Key& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values.erase(key);
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values.clear();
  }

  template <typename Make>
  Value Get(const Key& key, Make make) {
    std::promise<Value> made;
    std::shared_future<Value> known;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      auto it = m_values.find(key);
      if (it != m_values.end()) known = it->second;
      else m_values.emplace(key, made.get_future().share());
    }
    if (known.valid()) return known.get();
    Value value = make();
    if (!value) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_values.erase(key);
    }
    made.set_value(value);
    return value;
  }

 private:
  std::mutex m_mutex;
  std::map<Key, std::shared_future<Value>> m_values;
};

}  // namespace ui
