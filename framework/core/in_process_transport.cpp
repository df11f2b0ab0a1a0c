#include "framework/core/in_process_transport.h"

#include <exception>
#include <list>

#include "framework/core/message_catalog.h"
#include "framework/core/standard_names.h"

namespace Jorv {
namespace Core {
namespace {

constexpr char kNotFound[] = "com.zentak.jorv.std.errors.not_found";

void Answer(const AsyncApiResultCb& callback, const char* errorName, BaseMessage message) {
  auto error = Data::ErrorValue::Create(errorName, std::list<BaseMessage>{std::move(message)});
  callback(MethodResult::Create(nullptr, std::move(error)), Progress::Completion(), nullptr);
}

template <class... Args>
BaseMessage Describe(const char* id, Args... args) {
  return MakeMessage(id, Message<CoreTag>::DefaultMessageForId(id), std::string(args)...);
}

}  // namespace

void InProcessApiProvider::Publish(
    const std::shared_ptr<const Provider::AsyncApiInterface>& published) {
  if (!published || !published->GetIdentifier()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  interfaces_[published->GetIdentifier()->GetName()] = published;
}

bool InProcessApiProvider::Unpublish(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  return interfaces_.erase(name) != 0;
}

std::shared_ptr<const Provider::AsyncApiInterface> InProcessApiProvider::Find(
    const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = interfaces_.find(name);
  return found == interfaces_.end() ? nullptr : found->second;
}

void InProcessApiProvider::InvokeAsync(const std::shared_ptr<const MethodIdentifier>& method,
                                       const Data::DataValuePtr& input,
                                       const std::shared_ptr<AsyncActivation>& activation,
                                       const AsyncApiResultCb& callback) {
  const std::string interfaceName =
      method && method->GetInterfaceIdentifier() ? method->GetInterfaceIdentifier()->GetName() : "";
  const std::string methodName = method ? method->GetName() : "";
  const auto published = Find(interfaceName);
  if (!published) {
    Answer(callback, kNotFound, Describe(MessageIds::kUnknownInterface, interfaceName));
    return;
  }
  const auto target = published->FindMethod(methodName);
  if (!target) {
    Answer(callback, kNotFound, Describe(MessageIds::kUnknownMethod, methodName, interfaceName));
    return;
  }
  const auto ownActivation =
      activation ? activation->CopyForCall() : std::make_shared<AsyncActivation>();
  try {
    target->Invoke(input, ownActivation, callback);
  } catch (const std::exception& failure) {
    if (callback.IsArmed()) {
      Answer(callback, Std::kInternalServerError,
             Describe(MessageIds::kMethodFailed, method->ToString(), failure.what()));
    }
  } catch (...) {
    if (callback.IsArmed()) {
      Answer(callback, Std::kInternalServerError,
             Describe(MessageIds::kMethodFailed, method->ToString(),
                      std::string("unknown exception")));
    }
  }
}

}  // namespace Core
}  // namespace Jorv
