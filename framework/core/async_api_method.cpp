#include "framework/core/async_api_method.h"

namespace Jorv {
namespace Provider {

std::shared_ptr<const AsyncApiInterface> AsyncApiInterface::GetInstance(
    const std::shared_ptr<const Core::InterfaceIdentifier>& interfaceId,
    const std::list<std::shared_ptr<const AsyncApiMethod>>& methods) {
  return std::make_shared<const AsyncApiInterface>(interfaceId, methods);
}

AsyncApiInterface::AsyncApiInterface(std::shared_ptr<const Core::InterfaceIdentifier> interfaceId,
                                     std::list<std::shared_ptr<const AsyncApiMethod>> methods)
    : id_(std::move(interfaceId)), methods_(std::move(methods)) {
  for (const auto& method : methods_) {
    if (method) byName_.emplace(method->methodName(), method);
  }
}

std::shared_ptr<const AsyncApiMethod> AsyncApiInterface::FindMethod(const std::string& name) const {
  const auto found = byName_.find(name);
  return found == byName_.end() ? nullptr : found->second;
}

}  // namespace Provider
}  // namespace Jorv
