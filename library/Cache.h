#pragma once
#include <string>
#include <vector>

#include "library/LibraryDemo.h"
#include "ports/Ports.h"

// What the library read before, kept in one file so that the next opening shows it at once.
namespace rd::library {

enum class CacheStatus { Loaded, Missing, Foreign, Truncated, Corrupt, Newer };

// The bytes of a cache holding these demos and the map pictures' archive indexes (each
// already serialised).
std::string CacheBytes(const std::vector<Demo>& demos, const std::vector<std::string>& indexes = {});
std::string CacheBytes(const std::vector<const Demo*>& demos,
                       const std::vector<std::string>& indexes = {});
// The demos and indexes of a cache's bytes; anything but Loaded leaves both empty.
CacheStatus ParseCache(const std::string& bytes, std::vector<Demo>& demos,
                       std::vector<std::string>* indexes = nullptr);

// The cache file in the user's local application data folder; "" when there is none.
std::string CachePath(Ports& ports);
CacheStatus LoadCache(FileSystem& files, const std::string& path, std::vector<Demo>& demos,
                      std::vector<std::string>* indexes = nullptr);
// Writes a temporary file beside it, then renames it over the cache, so that a reader never
// meets half a cache; answers 0 or Windows' code.
std::uint32_t SaveCache(FileSystem& files, const std::string& path, const std::vector<Demo>& demos);
std::uint32_t SaveCacheBytes(FileSystem& files, const std::string& path, const std::string& bytes);

}  // namespace rd::library
