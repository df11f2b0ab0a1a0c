#include "framework/data/native_to_value.h"

namespace Jorv {
namespace Data {

bool NativeToValueAdapter::Adapt(const NativeConstPtr& source, Method const& method,
                                 DataValuePtr* const& destination, std::list<BaseMessage>& messages,
                                 const L10n::RequestLocalizer& localizer) {
  const std::size_t before = messages.size();
  Deque queue(localizer);
  method(source, destination, queue, messages);
  detail::Drain(queue, messages);
  return messages.size() == before;
}

}  // namespace Data
}  // namespace Jorv
