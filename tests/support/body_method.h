#pragma once
// A published method whose body a test gives: what transport tests serve.

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <utility>

#include "framework/core/async_api_method.h"

namespace Jorv {
namespace Testing {

using Body =
    std::function<void(const Data::DataValuePtr&, const std::shared_ptr<Core::AsyncActivation>&,
                       const Core::AsyncApiResultCb&)>;

// A published method that runs a test's body.
class BodyMethod : public Provider::AsyncApiMethod {
 public:
  BodyMethod(std::string name, Body body) : name_(std::move(name)), body_(std::move(body)) {}
  const std::string& methodName() const override { return name_; }
  std::shared_ptr<const Core::MethodDefinition> definition(
      const std::shared_ptr<const Core::InterfaceIdentifier>& id) const override {
    return std::make_shared<const Core::MethodDefinition>(
        Core::MethodDefinition{Core::MethodIdentifier::GetInstance(id, name_), nullptr, nullptr});
  }
  const Data::DataDefinitionPtr& inputDefinition() const override { return none_; }
  const Data::DataDefinitionPtr& outputDefinition() const override { return none_; }
  std::list<Data::DataDefinitionPtr> errorDefinitions() override { return {}; }
  const std::list<Data::DataDefinitionPtr>& errorDefinitions() const override { return errors_; }
  void Invoke(const Data::DataValuePtr& input,
              const std::shared_ptr<Core::AsyncActivation>& activation,
              const Core::AsyncApiResultCb& callback) const override {
    body_(input, activation, callback);
  }

 private:
  std::string name_;
  Body body_;
  Data::DataDefinitionPtr none_;
  std::list<Data::DataDefinitionPtr> errors_;
};

}  // namespace Testing
}  // namespace Jorv
