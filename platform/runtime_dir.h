// The per-user runtime folder that holds the sockets of message ports and notifications.
//
// It is $KEP_RUNTIME_DIR, else $XDG_RUNTIME_DIR/kep, else /tmp/kep-<uid>. The folder is created
// with mode 0700 and refused unless it is a real folder (not a link) owned by this user that no
// one else can enter: a socket there is then reachable by this user's processes only.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace platform::runtime {

// The folder, created when missing. nullopt with `error` set when it cannot be created or is
// not private to this user (std::errc::permission_denied), or is not a folder
// (std::errc::not_a_directory), or $KEP_RUNTIME_DIR is relative (std::errc::invalid_argument).
std::optional<std::filesystem::path> directory(std::error_code& error);

// The checks of directory() for another folder that must be as private (a render folder): makes
// `path` with mode 0700 when it is missing (with its missing parents when `create_parents`),
// then refuses it unless lstat shows a real folder owned by this user that no one else may
// enter. A link is refused, never followed. False with `error` set: std::errc::not_a_directory
// for a link or another kind of file, std::errc::permission_denied for a folder of another
// user or one open to others (their messages say which), or the error of mkdir.
bool make_private_directory(const std::filesystem::path& path, bool create_parents,
                            std::error_code& error);

// True for names that may become a file name in the runtime folder: 1 to 100 characters of
// letters, digits, '.', '_' and '-', not starting with '.'.
bool is_valid_name(std::string_view name);

// The path of `file_name` inside the runtime folder, checked to fit a Unix socket address.
// nullopt with `error` set when the folder is refused or the path is too long
// (std::errc::filename_too_long).
std::optional<std::filesystem::path> socket_path(std::string_view file_name, std::error_code& error);

}  // namespace platform::runtime
