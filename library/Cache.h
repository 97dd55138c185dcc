#pragma once
#include <functional>
#include <string>
#include <vector>

#include "library/LibraryDemo.h"
#include "ports/Ports.h"

// What the library read before, kept in one file so that the next opening shows it at once.
namespace rd::library {

enum class CacheStatus { Loaded, Missing, Foreign, Truncated, Corrupt, Newer };

// The bytes of a cache, put together one demo at a time.
class CacheWriter {
 public:
  void Add(const Demo& demo);
  // With the map pictures' archive indexes, each already serialised.
  std::string Finish(const std::vector<std::string>& indexes = {}) const;

 private:
  std::string body_;
  std::uint64_t count_ = 0;
};
std::string CacheBytes(const std::vector<Demo>& demos,
                       const std::vector<std::string>& indexes = {});

// The demos, one at a time, and the indexes of a cache's bytes. The whole file is checked
// before the first demo is handed on; anything but Loaded hands on nothing.
using EachDemo = std::function<void(Demo&&)>;
CacheStatus ParseCache(const std::string& bytes, const EachDemo& each,
                       std::vector<std::string>* indexes = nullptr);
CacheStatus ParseCache(const std::string& bytes, std::vector<Demo>& demos,
                       std::vector<std::string>* indexes = nullptr);

// The cache file in the user's local application data folder; "" when there is none.
std::string CachePath(Ports& ports);
CacheStatus LoadCache(FileSystem& files, const std::string& path, const EachDemo& each,
                      std::vector<std::string>* indexes = nullptr);
CacheStatus LoadCache(FileSystem& files, const std::string& path, std::vector<Demo>& demos,
                      std::vector<std::string>* indexes = nullptr);
// Writes a temporary file beside it, then renames it over the cache, so that a reader never
// meets half a cache; answers 0 or Windows' code.
std::uint32_t SaveCache(FileSystem& files, const std::string& path, const std::vector<Demo>& demos);
std::uint32_t SaveCacheBytes(FileSystem& files, const std::string& path, const std::string& bytes);

}  // namespace rd::library
