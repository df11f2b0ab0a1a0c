#include "framework/data/std_records.h"

namespace Com {
namespace Zentak {
namespace Jorv {
namespace Std {

std::shared_ptr<const LocalizableMessage> LocalizableMessage::From(
    const ::Jorv::BaseMessage& message) {
  auto record = std::make_shared<LocalizableMessage>();
  record->id = message.GetId();
  record->default_message = message.GetDefaultMessage();
  record->args = message.GetArgs();
  return record;
}

}  // namespace Std
}  // namespace Jorv
}  // namespace Zentak
}  // namespace Com
