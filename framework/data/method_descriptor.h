#pragma once
// Jorv::Data::MethodDescriptor: what both sides of a call know of one method: its service, its
// wire name (declared by the method), its input record, its output and its declared errors,
// and the definitions derived from them. A method declares
//
//   struct GetMethod : Jorv::Data::MethodDescriptor<GetMethod, AsyncServiceInterface,
//                                                   std::shared_ptr<const Info>,
//                                                   Jorv::Data::StandardErrors<NotFound>> {
//     static std::string methodName() { return "get"; }
//     struct Input { ... one field list ... };
//   };
//
// Nothing is cached: every definition is derived afresh on each call.

#include <list>
#include <memory>
#include <string>

#include "framework/core/async_result.h"
#include "framework/core/async_stream_result.h"
#include "framework/core/data_definition.h"
#include "framework/core/standard_names.h"
#include "framework/data/native_to_definition.h"
#include "framework/data/std_records.h"

namespace Jorv {
namespace Data {

// The errors a method declares, in order.
template <class... Errors>
struct ErrorList {};

// The three errors every method declares first, then `More`.
template <class... More>
using StandardErrors = ErrorList<Com::Zentak::Jorv::Std::Errors::ServiceUnavailable,
                                 Com::Zentak::Jorv::Std::Errors::Unauthenticated,
                                 Com::Zentak::Jorv::Std::Errors::Unauthorized, More...>;

namespace detail {
// The definition of native type T, derived afresh.
template <class T>
DataDefinitionPtr DefinitionOf() {
  DataDefinitionPtr definition;
  NativeToDefinitionAdapter::Adapt(NativeToDefinitionAdapter::AdaptMethod<T>::Get(), &definition,
                                   {});
  return definition;
}
}  // namespace detail

template <class Method, class Interface, class Output, class Errors>
struct MethodDescriptorBase;

template <class Method, class Interface, class NativeOutput, class... Errors>
struct MethodDescriptorBase<Method, Interface, NativeOutput, ErrorList<Errors...>> {
  // The service interface the method belongs to.
  using ServiceInterface = Interface;
  // The native output of one successful call (of one item, for a stream).
  using Output = NativeOutput;

  // The definition of the method's input structure.
  static DataDefinitionPtr inputDef() { return detail::DefinitionOf<typename Method::Input>(); }
  // The definition of the method's output.
  static DataDefinitionPtr outputDef() { return detail::DefinitionOf<Output>(); }
  // One definition per declared error, in declaration order.
  static std::list<DataDefinitionPtr> errorDefs() {
    return std::list<DataDefinitionPtr>{detail::DefinitionOf<Errors>()...};
  }
};

// A method that completes with one result.
template <class Method, class Interface, class Output, class Errors>
struct MethodDescriptor : MethodDescriptorBase<Method, Interface, Output, Errors> {
  // The result object through which the method completes.
  using ResultCbType = AsyncResult<Output, AsyncResultTerminateCbPolicy>;
};

// A method that delivers a stream of items, one report at a time.
template <class Method, class Interface, class Output, class Errors>
struct StreamingMethodDescriptor : MethodDescriptorBase<Method, Interface, Output, Errors> {
  // The stream result through which each report of the method arrives.
  using StreamResultCbType = AsyncStreamResult<Output, AsyncStreamResultTerminateCbPolicy>;
};

}  // namespace Data
}  // namespace Jorv
