#pragma once
// Identifiers that address a call: the interface (service) by name, and a method within it.
// Both are built once, held as std::shared_ptr<const T> and never changed.

#include <memory>
#include <string>

namespace Jorv {
namespace Core {

class InterfaceIdentifier {
 public:
  // A new identifier holding a copy of `name`.
  static std::shared_ptr<const InterfaceIdentifier> GetInstance(const std::string& name) {
    return std::make_shared<const InterfaceIdentifier>(name);
  }
  explicit InterfaceIdentifier(std::string name) : name_(std::move(name)) {}
  const std::string& GetName() const { return name_; }

 private:
  std::string name_;
};

class MethodIdentifier {
 public:
  // A new identifier of method `name` of `interfaceId`.
  static std::shared_ptr<const MethodIdentifier> GetInstance(
      const std::shared_ptr<const InterfaceIdentifier>& interfaceId, const std::string& name) {
    return std::make_shared<const MethodIdentifier>(interfaceId, name);
  }
  MethodIdentifier(std::shared_ptr<const InterfaceIdentifier> interfaceId, std::string name)
      : interfaceId_(std::move(interfaceId)), name_(std::move(name)) {}
  const std::shared_ptr<const InterfaceIdentifier>& GetInterfaceIdentifier() const {
    return interfaceId_;
  }
  const std::string& GetName() const { return name_; }
  // "interface.name/method" for diagnostics; "?/method" without an interface.
  std::string ToString() const {
    return (interfaceId_ ? interfaceId_->GetName() : std::string("?")) + "/" + name_;
  }

 private:
  std::shared_ptr<const InterfaceIdentifier> interfaceId_;
  std::string name_;
};

}  // namespace Core
}  // namespace Jorv
