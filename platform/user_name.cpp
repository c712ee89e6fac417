#include "platform/user_name.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace tlv {

std::string CurrentUserName() {
  struct passwd pw;
  struct passwd* result = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(::geteuid(), &pw, buffer.data(), buffer.size(), &result) == 0 &&
      result && result->pw_name && result->pw_name[0]) {
    return result->pw_name;
  }
  // Containers often run with a uid that the password database lacks.
  if (const char* login = ::getlogin(); login && *login) return login;
  if (const char* user = std::getenv("USER"); user && *user) return user;
  if (const char* logname = std::getenv("LOGNAME"); logname && *logname) return logname;
  return {};
}

}  // namespace tlv
