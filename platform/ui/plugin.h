// Plug-in bundles: "<Name>.bundle/Contents/{Info.plist, MacOS/<CFBundleExecutable>, Resources}"
// whose executable is a shared library exporting one C function, kep_principal_class(name),
// that answers the record of the bundle's principal class. The host opens the library with
// dlopen(RTLD_NOW | RTLD_LOCAL) and never unloads it; a process-wide registry of class names
// keeps two classes of one name out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/plist.h"

extern "C" {

// One class-level entry of a protocol, by name. Callers cast `function` to the type the protocol
// fixes for that name.
struct KepClassEntry {
  const char* name;
  void (*function)();
};

// What a plug-in answers for its principal class. abi_version comes first and is checked before
// anything else is read, so that a record of another layout is refused rather than misread.
struct KepClassRecord {
  std::uint32_t abi_version;
  const char* class_name;
  const char* base_class_name;
  const char* protocol_name;
  const KepClassEntry* entries;
  std::size_t entry_count;
};

// The function every plug-in library defines and exports, whatever visibility it is built
// with; nullptr for a name it does not define. The host finds it with dlsym, never by linking.
__attribute__((visibility("default"))) const KepClassRecord* kep_principal_class(const char* name);
typedef decltype(&kep_principal_class) KepPrincipalClassFunction;
}

namespace platform::ui {

inline constexpr const char* kPrincipalClassSymbol = "kep_principal_class";
// The one base class plug-in principal classes may derive from.
inline constexpr const char* kRootClassName = "NSObject";

// The names of the classes a process defines: the host's own and those its plug-ins bring.
class ClassRegistry {
 public:
  // The one registry of the process.
  static ClassRegistry& shared();

  // false when a class of that name exists already.
  bool add(std::string_view name);
  bool contains(std::string_view name) const;

 private:
  mutable std::mutex mutex_;
  std::set<std::string, std::less<>> names_;
};

// What a principal class must answer to be used: the host's ABI version, its protocol and the
// class-level entries the protocol requires.
struct ClassProtocol {
  std::string name;
  std::uint32_t abi_version = 0;
  std::vector<std::string> required_entries;
};

// Why a bundle was left out. The first four are the kinds a host reports; the finer reasons of
// a class that is not usable are told apart for the log and for tests.
enum class PluginRefusal {
  cannot_open = 1,        // no bundle structure, an unsafe or missing library, or dlopen failed
  no_principal_class,     // Info.plist names no NSPrincipalClass
  class_name_used,        // a class of that name exists already in the process
  no_class_record,        // the library does not define the named class
  wrong_abi_version,      // the record is of another ABI version
  not_root_subclass,      // the class does not derive from NSObject
  wrong_protocol,         // the class conforms to another protocol
  missing_entry,          // an entry the protocol requires is absent
};

// True for the refusals of a class that is either not an NSObject subclass or does not conform.
bool is_unusable_class(PluginRefusal refusal);
const char* refusal_name(PluginRefusal refusal);

// A loaded principal class. The library stays loaded for the life of the process.
struct PluginClass {
  std::filesystem::path bundle_path;
  plist::Dictionary info;
  std::string class_name;
  const KepClassRecord* record = nullptr;

  // The entry's function cast to the type the protocol fixes; nullptr when absent.
  template <typename Function>
  Function entry(std::string_view name) const {
    for (std::size_t i = 0; record != nullptr && i < record->entry_count; ++i) {
      const KepClassEntry& e = record->entries[i];
      if (e.name != nullptr && name == e.name) return reinterpret_cast<Function>(e.function);
    }
    return nullptr;
  }
};

struct PluginFailure {
  std::filesystem::path bundle_path;
  PluginRefusal refusal{};
  // What went wrong in words: the system's dlopen text, the name found, the entry missing.
  std::string detail;
};

struct PluginLoadResult {
  std::optional<PluginClass> loaded;
  std::optional<PluginFailure> failure;
};

// Loads one bundle: opens its library, reads NSPrincipalClass, refuses a name in `registry`,
// checks the class against `protocol` and registers the name.
PluginLoadResult load_plugin(const std::filesystem::path& bundle, const ClassProtocol& protocol,
                             ClassRegistry& registry = ClassRegistry::shared());

struct PluginFolder {
  std::vector<PluginClass> loaded;
  std::vector<PluginFailure> failures;
};

// Loads every "*.<extension>" folder of `folder` in name order. The folder must belong to the
// running user or root and be writable by nobody else (a planted library would run in the host);
// otherwise nothing loads and `error` says why (permission_denied).
std::optional<PluginFolder> load_plugin_folder(const std::filesystem::path& folder,
                                               std::string_view extension,
                                               const ClassProtocol& protocol,
                                               std::error_code& error,
                                               ClassRegistry& registry = ClassRegistry::shared());

// Why a folder or library is not trusted to load code from. Each compares equal to
// std::errc::permission_denied.
enum class PluginTrustError { foreign_owner = 1, writable_by_others };
std::error_code make_error_code(PluginTrustError error);

}  // namespace platform::ui

template <>
struct std::is_error_code_enum<platform::ui::PluginTrustError> : std::true_type {};
