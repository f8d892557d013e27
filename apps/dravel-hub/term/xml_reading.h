// XML from a client's file (an .xlsx's parts) read through expat, events
// only: element names and attributes as their local names, namespaces
// dropped (producers prefix them as they like), character data in pieces.
// A document with a DOCTYPE is refused, so no entity is ever expanded.
#pragma once

#include <string_view>

namespace dravel::hub {

class XmlEvents {
 public:
  virtual ~XmlEvents() = default;
  // `attributes`: expat's name, value, name, value, ..., null.
  virtual void Start(std::string_view name, const char** attributes) = 0;
  virtual void End(std::string_view name) = 0;
  virtual void Text(std::string_view) {}
};

// The local name of a name as the parser gives it ("http://...\x01id" is "id").
std::string_view LocalName(std::string_view name);

// The value of the attribute whose local name is `name`; empty when none.
std::string_view Attribute(const char** attributes, std::string_view name);

// Feeds `xml` to `events`; false when it is not well formed or has a DOCTYPE.
bool ReadXml(std::string_view xml, XmlEvents& events);

}  // namespace dravel::hub
