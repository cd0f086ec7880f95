#include "conventions/call_context.h"

namespace tpl {

CallContext::CallContext(const Variant& connection_string, const Variant& user,
                         const Variant& database_kind, Variant& message)
    : CallContext(connection_string, user, database_kind, message, db::CallLimits::ForNewCall()) {}

CallContext::CallContext(const Variant& connection_string, const Variant& user,
                         const Variant& database_kind, Variant& message,
                         const db::CallLimits& limits)
    : connection_string_(connection_string),
      user_(user),
      database_kind_(database_kind),
      message_(&message),
      state_(std::make_shared<State>(limits)) {}

CallContext::CallContext(const CallContext& call, const Variant& connection_string,
                         const Variant& user, const Variant& database_kind)
    : connection_string_(connection_string),
      user_(user),
      database_kind_(database_kind),
      message_(call.message_),
      state_(call.state_) {}

CallContext::CallContext(const CallContext& call, Variant& message)
    : connection_string_(call.connection_string_),
      user_(call.user_),
      database_kind_(call.database_kind_),
      message_(&message),
      state_(call.state_) {}

}  // namespace tpl
