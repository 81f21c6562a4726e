#include "platform/ui/plugin.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/bundle.h"
#include "platform/files.h"

namespace platform::ui {

namespace fs = std::filesystem;

namespace {

class TrustCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "plug-in trust"; }
  std::string message(int value) const override {
    switch (static_cast<PluginTrustError>(value)) {
      case PluginTrustError::foreign_owner:
        return "refused: it belongs to a user other than the one running the program or root";
      case PluginTrustError::writable_by_others:
        return "refused: its group or others may write it";
    }
    return "refused";
  }
  std::error_condition default_error_condition(int) const noexcept override {
    return std::errc::permission_denied;
  }
};

// Code is loaded only from what the running user or root owns and nobody else may change:
// anyone who could write there could make the host run their code.
bool trusted(const fs::path& path, bool folder, std::error_code& error) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    error = {errno, std::generic_category()};
    return false;
  }
  if (folder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode)) {
    error = std::make_error_code(folder ? std::errc::not_a_directory : std::errc::invalid_argument);
    return false;
  }
  if (info.st_uid != ::geteuid() && info.st_uid != 0) {
    error = PluginTrustError::foreign_owner;
    return false;
  }
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    error = PluginTrustError::writable_by_others;
    return false;
  }
  return true;
}

std::optional<std::string> info_string(const plist::Dictionary& info, std::string_view key) {
  const plist::Value* value = info.find(key);
  const std::string* text = value ? value->as_string() : nullptr;
  if (text == nullptr || text->empty()) return std::nullopt;
  return *text;
}

PluginLoadResult refuse(const fs::path& bundle, PluginRefusal refusal, std::string detail) {
  return {std::nullopt, PluginFailure{bundle, refusal, std::move(detail)}};
}

bool same(const char* text, std::string_view expected) {
  return text != nullptr && expected == text;
}

}  // namespace

ClassRegistry& ClassRegistry::shared() {
  static ClassRegistry* registry = new ClassRegistry;
  return *registry;
}

bool ClassRegistry::add(std::string_view name) {
  std::lock_guard lock(mutex_);
  return names_.emplace(name).second;
}

bool ClassRegistry::contains(std::string_view name) const {
  std::lock_guard lock(mutex_);
  return names_.find(name) != names_.end();
}

bool is_unusable_class(PluginRefusal refusal) {
  switch (refusal) {
    case PluginRefusal::no_class_record:
    case PluginRefusal::wrong_abi_version:
    case PluginRefusal::not_root_subclass:
    case PluginRefusal::wrong_protocol:
    case PluginRefusal::missing_entry: return true;
    case PluginRefusal::cannot_open:
    case PluginRefusal::no_principal_class:
    case PluginRefusal::class_name_used: return false;
  }
  return false;
}

const char* refusal_name(PluginRefusal refusal) {
  switch (refusal) {
    case PluginRefusal::cannot_open: return "cannot open";
    case PluginRefusal::no_principal_class: return "no principal class";
    case PluginRefusal::class_name_used: return "class name used";
    case PluginRefusal::no_class_record: return "no class record";
    case PluginRefusal::wrong_abi_version: return "wrong ABI version";
    case PluginRefusal::not_root_subclass: return "not an NSObject subclass";
    case PluginRefusal::wrong_protocol: return "wrong protocol";
    case PluginRefusal::missing_entry: return "missing entry";
  }
  return "refused";
}

std::error_code make_error_code(PluginTrustError error) {
  static const TrustCategory category;
  return {static_cast<int>(error), category};
}

PluginLoadResult load_plugin(const fs::path& bundle_path, const ClassProtocol& protocol,
                             ClassRegistry& registry) {
  std::error_code error;
  fs::path bundle = fs::absolute(bundle_path, error);
  if (error) return refuse(bundle_path, PluginRefusal::cannot_open, error.message());

  // Opening the bundle: its information list and its library.
  std::optional<Bundle> opened = Bundle::at(bundle);
  if (!opened) {
    return refuse(bundle, PluginRefusal::cannot_open, "no readable Contents/Info.plist");
  }
  std::optional<std::string> executable = info_string(opened->info(), "CFBundleExecutable");
  if (!executable || executable->find('/') != std::string::npos || *executable == "." ||
      *executable == "..") {
    return refuse(bundle, PluginRefusal::cannot_open, "no usable CFBundleExecutable");
  }
  fs::path library = opened->executable_folder() / *executable;
  if (!trusted(library, false, error)) {
    return refuse(bundle, PluginRefusal::cannot_open, library.string() + ": " + error.message());
  }
  // Never closed: the classes and objects a plug-in hands out live as long as the process.
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    return refuse(bundle, PluginRefusal::cannot_open, why ? why : "dlopen failed");
  }

  std::optional<std::string> class_name = info_string(opened->info(), "NSPrincipalClass");
  if (!class_name) return refuse(bundle, PluginRefusal::no_principal_class, "");
  if (registry.contains(*class_name)) {
    return refuse(bundle, PluginRefusal::class_name_used, *class_name);
  }

  auto principal_class =
      reinterpret_cast<KepPrincipalClassFunction>(::dlsym(handle, kPrincipalClassSymbol));
  if (principal_class == nullptr) {
    return refuse(bundle, PluginRefusal::no_class_record,
                  std::string("the library exports no ") + kPrincipalClassSymbol);
  }
  const KepClassRecord* record = principal_class(class_name->c_str());
  if (record == nullptr) {
    return refuse(bundle, PluginRefusal::no_class_record,
                  "the library defines no class " + *class_name);
  }
  if (record->abi_version != protocol.abi_version) {
    return refuse(bundle, PluginRefusal::wrong_abi_version,
                  "ABI version " + std::to_string(record->abi_version) + ", the host's is " +
                      std::to_string(protocol.abi_version));
  }
  if (!same(record->class_name, *class_name)) {
    return refuse(bundle, PluginRefusal::no_class_record,
                  "the record of " + *class_name + " names another class");
  }
  if (!same(record->base_class_name, kRootClassName)) {
    return refuse(bundle, PluginRefusal::not_root_subclass,
                  record->base_class_name ? record->base_class_name : "no base class");
  }
  if (!same(record->protocol_name, protocol.name)) {
    return refuse(bundle, PluginRefusal::wrong_protocol,
                  record->protocol_name ? record->protocol_name : "no protocol");
  }
  PluginClass loaded{bundle, opened->info(), *class_name, record};
  for (const std::string& required : protocol.required_entries) {
    if (loaded.entry<void (*)()>(required) == nullptr) {
      return refuse(bundle, PluginRefusal::missing_entry, required);
    }
  }
  if (!registry.add(*class_name)) {
    return refuse(bundle, PluginRefusal::class_name_used, *class_name);
  }
  return {std::move(loaded), std::nullopt};
}

std::optional<PluginFolder> load_plugin_folder(const fs::path& folder, std::string_view extension,
                                               const ClassProtocol& protocol,
                                               std::error_code& error, ClassRegistry& registry) {
  error.clear();
  if (!trusted(folder, true, error)) return std::nullopt;
  std::vector<fs::directory_entry> entries = files::list_directory(folder, error);
  if (error) return std::nullopt;
  std::string suffix(1, '.');
  suffix += extension;
  PluginFolder result;
  for (const fs::directory_entry& entry : entries) {
    std::error_code entry_error;
    if (entry.path().extension() != suffix || !entry.is_directory(entry_error)) continue;
    PluginLoadResult one = load_plugin(entry.path(), protocol, registry);
    if (one.loaded) result.loaded.push_back(std::move(*one.loaded));
    else result.failures.push_back(std::move(*one.failure));
  }
  return result;
}

}  // namespace platform::ui
