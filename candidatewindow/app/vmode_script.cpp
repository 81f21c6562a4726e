#include "candidatewindow/app/vmode_script.h"

#include <climits>
#include <optional>
#include <string>
#include <string_view>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

#include "candidatewindow/app/vmode_panel.h"
#include "platform/text.h"

namespace kepcandidatewindow {

namespace {

platform::plist::Array* gRowTarget = nullptr;

constexpr int kWrongArgumentCount = -1;
constexpr int kWrongArgumentType = -2;
constexpr int kEmptyText = -3;
constexpr int kNotUtf8 = -4;

// The string at `index` (which must hold one), or nullopt when Lua cannot give its bytes.
std::optional<std::string_view> string_at(lua_State* state, int index) {
  std::size_t length = 0;
  const char* text = lua_tolstring(state, index, &length);
  if (text == nullptr) return std::nullopt;
  return std::string_view(text, length);
}

// 0 for a usable text, else the code that refuses it.
int check_text(std::optional<std::string_view> text) {
  if (!text || text->empty()) return kEmptyText;
  if (!platform::text::is_valid_utf8(*text)) return kNotUtf8;
  return 0;
}

int finish(lua_State* state, int code) {
  lua_pushinteger(state, code);
  return 1;
}

}  // namespace

void setScriptRowTarget(platform::plist::Array* rows) { gRowTarget = rows; }
platform::plist::Array* scriptRowTarget() { return gRowTarget; }

int ScriptAddRow(lua_State* state) {
  if (lua_gettop(state) != 3) return finish(state, kWrongArgumentCount);
  if (lua_type(state, 1) != LUA_TSTRING || lua_type(state, 2) != LUA_TSTRING ||
      lua_type(state, 3) != LUA_TTABLE) {
    return finish(state, kWrongArgumentType);
  }
  const std::optional<std::string_view> key = string_at(state, 1);
  const std::optional<std::string_view> description = string_at(state, 2);
  if (int code = check_text(key); code != 0) return finish(state, code);
  if (int code = check_text(description); code != 0) return finish(state, code);
  if (key->front() == '#') return finish(state, 0);

  platform::plist::Array items;
  const std::size_t count = lua_objlen(state, 3);
  for (std::size_t index = 1; index <= count && index <= INT_MAX; ++index) {
    lua_rawgeti(state, 3, static_cast<int>(index));
    if (lua_type(state, -1) == LUA_TSTRING) {
      const std::optional<std::string_view> item = string_at(state, -1);
      if (int code = check_text(item); code != 0) {
        lua_pop(state, 1);
        return finish(state, code);
      }
      items.emplace_back(std::string(*item));
    }
    lua_pop(state, 1);
  }

  if (gRowTarget != nullptr) {
    platform::plist::Dictionary row;
    row.set(kVModeRowKey, std::string(*key));
    row.set(kVModeRowDescription, std::string(*description));
    row.set(kVModeRowItems, std::move(items));
    gRowTarget->emplace_back(std::move(row));
  }
  return finish(state, 0);
}

}  // namespace kepcandidatewindow
