#pragma once
// Test-only records that exercise every field kind of the conversion engines: a record with
// one field of each kind, a small leaf record, a test enumeration, records that contain their
// own type (directly, through a list, or through another record) for cycles and deep nesting.

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>

#include <boost/optional.hpp>

#include "framework/jorv.h"

namespace TestRecords {

struct ColorLiterals {
  static constexpr const char* kTypeName = "com.example.test.color";
  enum Enumerator : std::uint32_t { RED, GREEN, BLUE, _UNKNOWN };
  struct Strings {
    static constexpr const char* values[] = {"RED", "GREEN", "BLUE", "_UNKNOWN", nullptr};
  };
};
using Color = Jorv::Data::Enumeration<ColorLiterals>;

struct Leaf : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.leaf";
  std::string name;
  long long number = 0;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("name", &Leaf::name);
      f.Field("number", &Leaf::number);
    }
  };
};

// One field of every kind, required ones first. Wire names deliberately do not follow
// declaration order alphabetically.
struct AllKinds : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.all_kinds";
  std::string text;
  long long integer = 0;
  double real = 0;
  Jorv::DateTime when;
  Jorv::Data::Opaque opaque;
  Color color;
  std::shared_ptr<const Leaf> leaf;
  std::list<std::string> strings;
  std::list<double> reals;
  std::list<std::shared_ptr<const Leaf>> leaves;
  std::map<std::string, std::string> tags;
  boost::optional<long long> maybe_integer;
  boost::optional<double> maybe_real;
  boost::optional<std::string> maybe_text;
  boost::optional<Color> maybe_color;
  boost::optional<Jorv::Data::Opaque> maybe_opaque;
  boost::optional<std::list<std::shared_ptr<const Leaf>>> maybe_leaves;
  boost::optional<std::list<std::string>> maybe_strings;
  boost::optional<std::map<std::string, std::string>> maybe_tags;
  Jorv::OptionalPtr<const Leaf> maybe_leaf;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("text", &AllKinds::text);
      f.Field("integer", &AllKinds::integer);
      f.Field("real", &AllKinds::real);
      f.Field("when", &AllKinds::when);
      f.Field("opaque", &AllKinds::opaque);
      f.Field("color", &AllKinds::color);
      f.Field("leaf", &AllKinds::leaf);
      f.Field("strings", &AllKinds::strings);
      f.Field("reals", &AllKinds::reals);
      f.Field("leaves", &AllKinds::leaves);
      f.Field("tags", &AllKinds::tags);
      f.Field("maybe_integer", &AllKinds::maybe_integer);
      f.Field("maybe_real", &AllKinds::maybe_real);
      f.Field("maybe_text", &AllKinds::maybe_text);
      f.Field("maybe_color", &AllKinds::maybe_color);
      f.Field("maybe_opaque", &AllKinds::maybe_opaque);
      f.Field("maybe_leaves", &AllKinds::maybe_leaves);
      f.Field("maybe_strings", &AllKinds::maybe_strings);
      f.Field("maybe_tags", &AllKinds::maybe_tags);
      f.Field("maybe_leaf", &AllKinds::maybe_leaf);
    }
  };
};

// A record that may hold another of its own type.
struct Chain : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.chain";
  long long depth = 0;
  Jorv::OptionalPtr<const Chain> next;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("depth", &Chain::depth);
      f.Field("next", &Chain::next);
    }
  };
};

// A record holding a list of its own type.
struct Tree : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.tree";
  std::string label;
  std::list<std::shared_ptr<const Tree>> children;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("label", &Tree::label);
      f.Field("children", &Tree::children);
    }
  };
};

// A record using a self-containing record twice.
struct Forest : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.forest";
  std::list<std::shared_ptr<const Tree>> trees;
  Jorv::OptionalPtr<const Tree> tallest;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("trees", &Forest::trees);
      f.Field("tallest", &Forest::tallest);
    }
  };
};

// Two records that contain each other.
struct Pong;
struct Ping : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.ping";
  Jorv::OptionalPtr<const Pong> pong;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("pong", &Ping::pong);
    }
  };
};
struct Pong : Jorv::Data::BaseNative {
  static constexpr const char* kTypeName = "com.example.test.pong";
  std::list<std::shared_ptr<const Ping>> pings;

  struct AdapterHelper {
    template <class Fields>
    static constexpr void AddFields(Fields& f) {
      f.Field("pings", &Pong::pings);
    }
  };
};

inline std::shared_ptr<const Leaf> MakeLeaf(std::string name, long long number) {
  auto leaf = std::make_shared<Leaf>();
  leaf->name = std::move(name);
  leaf->number = number;
  return leaf;
}

// An AllKinds with every required field set to a non-default value and some optionals set.
inline AllKinds FilledAllKinds() {
  AllKinds r;
  r.text = "hello";
  r.integer = -42;
  r.real = 2.5;
  r.when = Jorv::DateTime::FromMillisSinceEpoch(1796577587123);
  r.opaque = Jorv::Data::Opaque(Jorv::Data::DataValue::Create(std::string("held")));
  r.color = Color::GREEN;
  r.leaf = MakeLeaf("one", 1);
  r.strings = {"b", "a"};
  r.reals = {1.5, -0.25};
  r.leaves = {MakeLeaf("x", 10), MakeLeaf("y", 20)};
  r.tags = {{"zeta", "last"}, {"alpha", "first"}};
  r.maybe_integer = 7;
  r.maybe_color = Color::FromString("purple");
  r.maybe_leaves = std::list<std::shared_ptr<const Leaf>>{};
  r.maybe_leaf = MakeLeaf("opt", 3);
  return r;
}

}  // namespace TestRecords
