#include "apps/dravel-hub/term/xml_reading.h"

#include <expat.h>

#include <climits>
#include <memory>

namespace dravel::hub {
namespace {

constexpr char kNamespaceEnd = '\x01';

// Each handler is handed the parser (XML_UseParserAsHandlerArg).
XmlEvents& EventsOf(void* parser) {
  return *static_cast<XmlEvents*>(XML_GetUserData(static_cast<XML_Parser>(parser)));
}

void XMLCALL OnStart(void* parser, const XML_Char* name, const XML_Char** attributes) {
  EventsOf(parser).Start(LocalName(name), attributes);
}
void XMLCALL OnEnd(void* parser, const XML_Char* name) { EventsOf(parser).End(LocalName(name)); }
void XMLCALL OnText(void* parser, const XML_Char* text, int length) {
  EventsOf(parser).Text(std::string_view(text, size_t(length)));
}
void XMLCALL OnDoctype(void* parser, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  XML_StopParser(static_cast<XML_Parser>(parser), XML_FALSE);
}

struct ParserFree {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

}  // namespace

std::string_view LocalName(std::string_view name) {
  const size_t end = name.rfind(kNamespaceEnd);
  return end == std::string_view::npos ? name : name.substr(end + 1);
}

std::string_view Attribute(const char** attributes, std::string_view name) {
  for (; attributes[0] != nullptr; attributes += 2)
    if (LocalName(attributes[0]) == name) return attributes[1];
  return {};
}

bool ReadXml(std::string_view xml, XmlEvents& events) {
  if (xml.size() > size_t(INT_MAX)) return false;
  const std::unique_ptr<XML_ParserStruct, ParserFree> parser(
      XML_ParserCreateNS(nullptr, kNamespaceEnd));
  if (!parser) return false;
  XML_SetUserData(parser.get(), &events);
  XML_UseParserAsHandlerArg(parser.get());
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
  return XML_Parse(parser.get(), xml.data(), int(xml.size()), XML_TRUE) == XML_STATUS_OK;
}

}  // namespace dravel::hub
