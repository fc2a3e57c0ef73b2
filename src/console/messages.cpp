// The message catalog: the Japanese texts of the program looked up in the
// catalog of the message language, found next to the program (a build
// folder's locale/) or under the install prefix. The WebAssembly build has
// no files to find a catalog in: it carries the English catalog's bytes in
// itself (englishcatalog.cpp, made from po/en.po when the module is built)
// and looks a text up there when a thread has chosen English; otherwise the
// texts are the program's own, and nothing looks for the program's folder.
#include <dlfcn.h>
#include <libintl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#ifdef __EMSCRIPTEN__
#include <cstdint>
#include <string_view>
#include <unordered_map>
#endif

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

// The language a thread has chosen.
enum Choice { Locale = 0, Japanese = 1, English = 2 };
thread_local int t_choice = Locale;

bool isenglish(const char* name) { return std::strncmp(name, "en", 2) == 0; }

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

void bindcatalog() {
  static std::once_flag bound;
  std::call_once(bound, [] {
    bindtextdomain(DOMAIN, catalogfolder().c_str());
    bind_textdomain_codeset(DOMAIN, "UTF-8");
  });
}

// An English message locale for a thread that asks for English whatever the
// process's locale is; null when none is installed.
locale_t englishlocale() {
  static const locale_t english = [] {
    for (const char* name : {"en_US.UTF-8", "en_GB.UTF-8", "en_US.utf8"}) {
      const locale_t loc = newlocale(LC_MESSAGES_MASK, name, static_cast<locale_t>(0));
      if (loc != static_cast<locale_t>(0)) return loc;
    }
    return static_cast<locale_t>(0);
  }();
  return english;
}
#else
// The English text of `text` in the carried catalog, or `text` itself.
// The catalog is read once: a .mo file is a header (magic number, count,
// offsets of the two tables of originals and translations) and tables of
// (length, offset) pairs whose texts end with a NUL. An original's key
// is up to its first NUL (a plural's singular), the translation its first
// form; the header entry (the empty original) is never looked up.
const char* englishtext(const char* text) {
  static const std::unordered_map<std::string_view, const char*> table = [] {
    std::unordered_map<std::string_view, const char*> t;
    const unsigned char* mo = englishcatalog;
    const std::size_t size = englishcatalogsize;
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
#endif

}  // namespace

const char* tr(const char* text) {
  // The empty text is the catalog's header in gettext: never looked up.
  if (text == nullptr || *text == '\0' || t_choice == Japanese) return text;
  // Only texts with a character beyond ASCII are in the catalog (numbers'
  // formats, CSV rows and the like are never looked up).
  const char* p = text;
  while (*p != '\0' && static_cast<unsigned char>(*p) < 0x80) ++p;
  if (*p == '\0') return text;
#ifdef __EMSCRIPTEN__
  return t_choice == English ? englishtext(text) : text;
#else
  bindcatalog();
  if (t_choice == Locale) return dgettext(DOMAIN, text);
  const locale_t english = englishlocale();
  if (english == static_cast<locale_t>(0)) return text;
  const locale_t before = uselocale(english);
  const char* shown = dgettext(DOMAIN, text);
  uselocale(before);
  return shown;
#endif
}

std::string tr(const std::string& text) { return tr(text.c_str()); }

MessageLanguage::MessageLanguage(const std::string& lang) : saved_(t_choice) {
  t_choice = lang.empty() ? Locale : isenglish(lang.c_str()) ? English : Japanese;
}

MessageLanguage::~MessageLanguage() { t_choice = saved_; }

std::string localelanguage() {
  const char* locale = nullptr;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = std::getenv(var);
    if (locale != nullptr && *locale != '\0') break;
    locale = nullptr;
  }
  if (locale == nullptr || std::strcmp(locale, "C") == 0 || std::strcmp(locale, "POSIX") == 0)
    return "ja";
#ifndef __EMSCRIPTEN__
  // A locale that is not installed is the C locale to gettext, which then
  // reads no LANGUAGE either: the programs print the Japanese texts.
  const locale_t named = newlocale(LC_MESSAGES_MASK, locale, static_cast<locale_t>(0));
  if (named == static_cast<locale_t>(0)) return "ja";
  freelocale(named);
#endif
  // LANGUAGE lists languages in order of preference and, when set, is all
  // that counts; the first with a catalog wins (Japanese has none: it is
  // the text itself).
  const char* list = std::getenv("LANGUAGE");
  if (list != nullptr && *list != '\0') {
    for (const char* p = list; *p != '\0';) {
      if (isenglish(p)) return "en";
      const char* colon = std::strchr(p, ':');
      if (colon == nullptr) break;
      p = colon + 1;
    }
    return "ja";
  }
  return isenglish(locale) ? "en" : "ja";
}

}  // namespace hs
