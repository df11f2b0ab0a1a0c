#include "framework/data/value_to_native.h"

namespace Jorv {
namespace Data {

bool ValueToNativeAdapter::Adapt(const DataValuePtr& source, Method const& method,
                                 const NativePtr& destination, std::list<BaseMessage>& messages) {
  const std::size_t before = messages.size();
  Queue queue;
  method(source, destination, queue, messages);
  detail::Drain(queue, messages);
  return messages.size() == before;
}

}  // namespace Data
}  // namespace Jorv
