#ifndef TLV_PLATFORM_USER_NAME_H_
#define TLV_PLATFORM_USER_NAME_H_

#include <string>

namespace tlv {

/// The login name of the user running the program: the password database
/// entry of the effective user id, else getlogin(), else $USER, else
/// $LOGNAME; empty when none of them knows.  UTF-8 (as the system holds it).
/// Used where the settings store has no user name.
std::string CurrentUserName();

}  // namespace tlv

#endif  // TLV_PLATFORM_USER_NAME_H_
