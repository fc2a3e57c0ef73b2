// The message catalog: the Japanese texts of the program looked up in the
// English catalog (the .mo file msgfmt makes of po/en.po), read once and
// kept in memory. The programs and the Python module find the file next to
// themselves (a build folder's locale/) or under the install prefix; the
// WebAssembly build carries its bytes in itself (englishcatalog.cpp, made
// from po/en.po when the module is built). No installed locale is needed:
// the language is chosen by name (MessageLanguage, setmessagelanguage, or
// the environment's, localelanguage).
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>

#include "console/console.h"

#ifndef HYBRIDSIM_LOCALEDIR
#define HYBRIDSIM_LOCALEDIR "/usr/local/share/locale"
#endif

namespace hs {

#ifdef __EMSCRIPTEN__
// The bytes of the English catalog's .mo file.
extern const unsigned char englishcatalog[];
extern const std::size_t englishcatalogsize;
#endif

namespace {

// The language a thread has chosen, and the process's (--lang); Locale
// leaves the choice to the next level, and at last to the environment.
enum Choice { Locale = 0, Japanese = 1, English = 2 };
thread_local int t_choice = Locale;
std::atomic<int> g_choice{Locale};

int choiceof(const std::string& lang) {
  return lang.empty() ? Locale : lang.compare(0, 2, "en") == 0 ? English : Japanese;
}

// A language name (of LANGUAGE or of a locale) that names Japanese: "ja",
// "ja_JP.UTF-8", "ja@...".
bool isjapanese(const char* name) {
  return std::strncmp(name, "ja", 2) == 0 &&
         (name[2] == '\0' || name[2] == '_' || name[2] == '.' || name[2] == '@' || name[2] == ':');
}

// The C locale by any of its names: "C", "POSIX", "C.UTF-8".
bool isclocale(const char* name) {
  return std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
         std::strncmp(name, "C.", 2) == 0;
}

#ifndef __EMSCRIPTEN__
constexpr const char DOMAIN[] = "hybridsim";

bool isfile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folderof(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The catalogs' folder: beside the program or the library that holds this
// code (the Python module), one folder up from it (build/python/), or the
// install prefix's share/locale seen from its bin/.
std::string catalogfolder() {
  std::string places[2];
  char exe[4096];
  const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n > 0) places[0] = folderof(std::string(exe, static_cast<std::size_t>(n)));
  Dl_info info;
  if (::dladdr(reinterpret_cast<void*>(&catalogfolder), &info) != 0 && info.dli_fname != nullptr &&
      std::strchr(info.dli_fname, '/') != nullptr)
    places[1] = folderof(info.dli_fname);
  for (const std::string& place : places) {
    if (place.empty()) continue;
    for (const char* sub : {"/locale", "/../locale", "/../share/locale"}) {
      const std::string folder = place + sub;
      if (isfile(folder + "/en/LC_MESSAGES/" + DOMAIN + ".mo")) return folder;
    }
  }
  return HYBRIDSIM_LOCALEDIR;
}

// The bytes of the English catalog file; empty when there is none.
const std::string& catalogbytes() {
  static const std::string bytes = [] {
    std::ifstream in(catalogfolder() + "/en/LC_MESSAGES/" + DOMAIN + ".mo", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }();
  return bytes;
}
#endif

// The English text of `text` in the catalog, or `text` itself.
// The catalog is read once: a .mo file is a header (magic number, count,
// offsets of the two tables of originals and translations) and tables of
// (length, offset) pairs whose texts end with a NUL. An original's key
// is up to its first NUL (a plural's singular), the translation its first
// form; the header entry (the empty original) is never looked up.
const char* englishtext(const char* text) {
  static const std::unordered_map<std::string_view, const char*> table = [] {
    std::unordered_map<std::string_view, const char*> t;
#ifdef __EMSCRIPTEN__
    const unsigned char* mo = englishcatalog;
    const std::size_t size = englishcatalogsize;
#else
    const unsigned char* mo = reinterpret_cast<const unsigned char*>(catalogbytes().data());
    const std::size_t size = catalogbytes().size();
#endif
    bool swapped = false;
    auto word = [&](std::size_t at) -> std::uint32_t {
      if (at + 4 > size) return 0;
      const std::uint32_t w = mo[at] | mo[at + 1] << 8 | mo[at + 2] << 16 |
                              static_cast<std::uint32_t>(mo[at + 3]) << 24;
      return swapped ? __builtin_bswap32(w) : w;
    };
    const std::uint32_t magic = word(0);
    if (magic != 0x950412de && magic != 0xde120495) return t;
    swapped = magic == 0xde120495;
    const std::uint32_t count = word(8), originals = word(12), translations = word(16);
    // Entry i of a table: a text that lies within the file and ends with its NUL.
    auto entry = [&](std::uint32_t list, std::uint32_t i) -> const char* {
      const std::size_t at = list + 8 * std::size_t{i};
      const std::size_t length = word(at), offset = word(at + 4);
      if (at + 8 > size || offset + length >= size || mo[offset + length] != 0) return nullptr;
      return reinterpret_cast<const char*>(mo + offset);
    };
    for (std::uint32_t i = 0; i < count; ++i) {
      const char* original = entry(originals, i);
      const char* translation = entry(translations, i);
      if (original != nullptr && translation != nullptr && *original != '\0')
        t.emplace(original, translation);
    }
    return t;
  }();
  const auto found = table.find(text);
  return found == table.end() ? text : found->second;
}

// The language of a thread that has chosen none: the process's, else the
// environment's as it was at the first text.
int currentchoice() {
  if (t_choice != Locale) return t_choice;
  const int process = g_choice.load();
  if (process != Locale) return process;
  static const int environment = choiceof(localelanguage());
  return environment;
}

}  // namespace

const char* tr(const char* text) {
  // The empty text is the catalog's header: never looked up.
  if (text == nullptr || *text == '\0' || currentchoice() != English) return text;
  // Only texts with a character beyond ASCII are in the catalog (numbers'
  // formats, CSV rows and the like are never looked up).
  const char* p = text;
  while (*p != '\0' && static_cast<unsigned char>(*p) < 0x80) ++p;
  if (*p == '\0') return text;
  return englishtext(text);
}

std::string tr(const std::string& text) { return tr(text.c_str()); }

MessageLanguage::MessageLanguage(const std::string& lang) : saved_(t_choice) {
  t_choice = choiceof(lang);
}

MessageLanguage::~MessageLanguage() { t_choice = saved_; }

void setmessagelanguage(const std::string& lang) { g_choice = choiceof(lang); }

std::string localelanguage() {
  const char* locale = nullptr;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = std::getenv(var);
    if (locale != nullptr && *locale != '\0') break;
    locale = nullptr;
  }
  // The C locale (also no locale at all) is the program's own language, and
  // LANGUAGE does not count there, as with gettext.
  if (locale == nullptr || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0)
    return "ja";
  // LANGUAGE lists languages in order of preference: its first names the
  // language. Otherwise the locale does, installed or not.
  const char* list = std::getenv("LANGUAGE");
  if (list != nullptr) {
    while (*list == ':') ++list;
    if (*list != '\0') return isjapanese(list) ? "ja" : "en";
  }
  return isjapanese(locale) || isclocale(locale) ? "ja" : "en";
}

}  // namespace hs
