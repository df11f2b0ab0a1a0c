#pragma once
// The provider side of the framework: a method as the framework calls it (AsyncApiMethod), the
// callback through which a method reports (AsyncApiMethod::ResultCb), and a published interface
// of methods (AsyncApiInterface), which an API provider serves.

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <type_traits>

#include <boost/optional.hpp>

#include "framework/core/activation.h"
#include "framework/core/api_result_cb.h"
#include "framework/core/data_definition.h"
#include "framework/core/identifiers.h"

namespace Jorv {
namespace Core {

// The description of one published method: its identifier and its input and output definitions.
struct MethodDefinition {
  std::shared_ptr<const MethodIdentifier> identifier;
  Data::DataDefinitionPtr input;
  Data::DataDefinitionPtr output;
};

}  // namespace Core

namespace Provider {

class AsyncApiMethod {
 public:
  // The callback through which a method reports: (output, error, progress, continuation). A
  // report carrying an output or a non-null error spends it; a report with neither leaves it
  // armed. Copies share one delivery, as with Core::AsyncApiResultCb.
  class ResultCb {
   public:
    // Asks for the next report of a stream (a callback for it) or, given null, stops it.
    using Continuation = std::function<void(std::shared_ptr<ResultCb>)>;
    using Function = std::function<void(const boost::optional<Data::DataValuePtr>&,
                                        const std::shared_ptr<const Data::ErrorValue>&,
                                        const Progress&, Continuation&&)>;

    ResultCb() = default;
    ResultCb(Function function)  // NOLINT: converts implicitly by design
        : callback_(std::move(function)) {}
    // Holds the callable object `function` directly, without a std::function around it.
    template <class F, class = std::enable_if_t<Jorv::detail::kHoldsDirectly<
                           F, Function, ResultCb, const boost::optional<Data::DataValuePtr>&,
                           const std::shared_ptr<const Data::ErrorValue>&, const Progress&,
                           Continuation&&>>>
    ResultCb(F&& function)  // NOLINT: converts implicitly by design
        : callback_(std::forward<F>(function)) {}

    // Delivers one report; one with an output or a non-null error is final and spends the
    // callback. Throws std::bad_function_call when empty or spent.
    void operator()(const boost::optional<Data::DataValuePtr>& output,
                    const std::shared_ptr<const Data::ErrorValue>& error, const Progress& progress,
                    Continuation&& next) const {
      callback_.Call(output || error, output, error, progress, std::move(next));
    }

    bool IsArmed() const { return callback_.IsArmed(); }
    explicit operator bool() const { return IsArmed(); }

   private:
    Jorv::detail::SharedCallback<const boost::optional<Data::DataValuePtr>&,
                                 const std::shared_ptr<const Data::ErrorValue>&, const Progress&,
                                 Continuation&&>
        callback_;
  };

  virtual ~AsyncApiMethod() = default;

  virtual const std::string& methodName() const = 0;
  // The description of this method within the interface `interfaceId`.
  virtual std::shared_ptr<const Core::MethodDefinition> definition(
      const std::shared_ptr<const Core::InterfaceIdentifier>& interfaceId) const = 0;
  virtual const Data::DataDefinitionPtr& inputDefinition() const = 0;
  virtual const Data::DataDefinitionPtr& outputDefinition() const = 0;
  virtual std::list<Data::DataDefinitionPtr> errorDefinitions() = 0;
  virtual const std::list<Data::DataDefinitionPtr>& errorDefinitions() const = 0;
  // One call: the outcome reaches the framework only through `callback` or a copy of it.
  virtual void Invoke(const Data::DataValuePtr& input,
                      const std::shared_ptr<Core::AsyncActivation>& activation,
                      const Core::AsyncApiResultCb& callback) const = 0;
};

// Methods published together under one interface identifier, found by name.
class AsyncApiInterface {
 public:
  // A new interface publishing `methods` under `interfaceId`. When two methods share a name
  // the first one is served.
  static std::shared_ptr<const AsyncApiInterface> GetInstance(
      const std::shared_ptr<const Core::InterfaceIdentifier>& interfaceId,
      const std::list<std::shared_ptr<const AsyncApiMethod>>& methods);

  AsyncApiInterface(std::shared_ptr<const Core::InterfaceIdentifier> interfaceId,
                    std::list<std::shared_ptr<const AsyncApiMethod>> methods);

  const std::shared_ptr<const Core::InterfaceIdentifier>& GetIdentifier() const { return id_; }
  const std::list<std::shared_ptr<const AsyncApiMethod>>& GetMethods() const { return methods_; }
  // The method named `name`, or null.
  std::shared_ptr<const AsyncApiMethod> FindMethod(const std::string& name) const;

 private:
  std::shared_ptr<const Core::InterfaceIdentifier> id_;
  std::list<std::shared_ptr<const AsyncApiMethod>> methods_;
  std::map<std::string, std::shared_ptr<const AsyncApiMethod>> byName_;
};

}  // namespace Provider
}  // namespace Jorv
