#include "lv2/TurtleWriter.h"

#include "effect/ParameterTable.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

const char kPrefixes[] = "@prefix doap:  <http://usefulinc.com/ns/doap#> .\n"
                         "@prefix foaf:  <http://xmlns.com/foaf/0.1/> .\n"
                         "@prefix lv2:   <http://lv2plug.in/ns/lv2core#> .\n"
                         "@prefix pg:    <http://lv2plug.in/ns/ext/port-groups#> .\n"
                         "@prefix rdf:   <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                         "@prefix rdfs:  <http://www.w3.org/2000/01/rdf-schema#> .\n"
                         "@prefix ui:    <http://lv2plug.in/ns/extensions/ui#> .\n"
                         "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n";

const char kVendor[] = "CorVane";
// Both plug-ins belong to one project, which names its maintainer.
const char kProjectUri[] = "<urn:corvane:velmora-xy3-2d#project>";
const char kProjectName[] = "Corvane Velmora XY 3 - 2d";
// The value text of the 4 m end of distance and compensation, as the VST 2.x
// plug-in shows it.
const char kOffLabel[] = "off";

// A Turtle string: quotes and backslashes escaped.
std::string quoted(const char* text)
{
    std::string out = "\"";
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '"' || *c == '\\')
            out += '\\';
        out += *c;
    }
    return out + "\"";
}

std::string groupUri(const Lv2PluginInfo& info)
{
    return std::string("<") + info.uri + "#bformat>";
}

const char* portClasses(Lv2Port::Kind kind)
{
    switch (kind) {
    case Lv2Port::Kind::ControlIn: return "lv2:InputPort , lv2:ControlPort";
    case Lv2Port::Kind::ControlOut: return "lv2:OutputPort , lv2:ControlPort";
    case Lv2Port::Kind::AudioIn: return "lv2:InputPort , lv2:AudioPort";
    case Lv2Port::Kind::AudioOut: return "lv2:OutputPort , lv2:AudioPort";
    }
    return "";
}

void writeRange(std::ostream& out, const Lv2Port& port)
{
    const int p = port.parameter;
    const ParameterInfo& parameter = ParameterTable::info(p);
    if (port.kind == Lv2Port::Kind::ControlIn)
        out << " ;\n        lv2:default "
            << TurtleWriter::number(ParameterTable::userFromNormalised(p, parameter.initialValue));
    out << " ;\n        lv2:minimum " << TurtleWriter::number(ParameterTable::userMinimum(p))
        << " ;\n        lv2:maximum " << TurtleWriter::number(ParameterTable::userMaximum(p))
        << " ;\n        units:unit " << (parameter.text == ValueText::Degrees ? "units:degree" : "units:m");
    if (parameter.text == ValueText::MetresOrOff)
        out << " ;\n        lv2:scalePoint [ rdfs:label " << quoted(kOffLabel) << " ; rdf:value "
            << TurtleWriter::number(ParameterTable::kOffSentinel) << " ]";
}

void writePort(std::ostream& out, const Lv2PluginInfo& info, std::uint32_t index)
{
    const Lv2Port port = info.port(index);
    out << "[\n        a " << portClasses(port.kind) << " ;\n        lv2:index " << index
        << " ;\n        lv2:symbol " << quoted(port.symbol) << " ;\n        lv2:name " << quoted(port.name);
    if (port.comment != nullptr)
        out << " ;\n        rdfs:comment " << quoted(port.comment);
    if (port.parameter >= 0)
        writeRange(out, port);
    if (port.kind == Lv2Port::Kind::AudioOut)
        out << " ;\n        pg:group " << groupUri(info) << " ;\n        lv2:designation pg:ACN" << port.acn;
    out << "\n    ]";
}

} // namespace

std::string TurtleWriter::number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    std::string out = text;
    if (out.find_first_of(".e") == std::string::npos)
        out += ".0";
    return out;
}

std::string TurtleWriter::manifest(bool withUi)
{
    std::ostringstream out;
    out << "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n";
    if (withUi)
        out << "@prefix ui:   <http://lv2plug.in/ns/extensions/ui#> .\n";
    for (int i = 0; i < Lv2PluginInfo::kCount; ++i) {
        const Lv2PluginInfo& info = Lv2PluginInfo::at(i);
        out << "\n<" << info.uri << ">\n    a lv2:Plugin ;\n    lv2:binary <" << Lv2PluginInfo::kDspBinary
            << "> ;\n    rdfs:seeAlso <" << info.turtleFile << "> .\n";
    }
    if (withUi)
        out << "\n<" << Lv2PluginInfo::kUiUri << ">\n    a ui:X11UI ;\n    lv2:binary <" << Lv2PluginInfo::kUiBinary
            << "> ;\n    rdfs:seeAlso <" << Lv2PluginInfo::kUiTurtleFile << "> .\n";
    return out.str();
}

// The editor: an X11 window that the host must idle, embedded when the host
// gives a parent window, otherwise shown on its own; of a fixed size, at the
// host's display scale when it gives one.
std::string TurtleWriter::ui()
{
    std::ostringstream out;
    out << "@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .\n"
        << "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
        << "@prefix ui:   <http://lv2plug.in/ns/extensions/ui#> .\n"
        << "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n"
        << "<" << Lv2PluginInfo::kUiUri << ">\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:parent , ui:resize , ui:touch , ui:noUserResize , opts:options , urid:map ;\n"
        << "    lv2:extensionData ui:idleInterface , ui:showInterface ;\n"
        << "    opts:supportedOption ui:scaleFactor .\n";
    return out.str();
}

std::string TurtleWriter::plugin(const Lv2PluginInfo& info, bool withUi)
{
    std::ostringstream out;
    out << kPrefixes << "\n"
        << kProjectUri << "\n    a doap:Project ;\n    doap:name " << quoted(kProjectName)
        << " ;\n    doap:maintainer [ foaf:name " << quoted(kVendor) << " ] .\n\n"
        << groupUri(info) << "\n    a pg:" << info.groupClass << " , pg:OutputGroup ;\n"
        << "    lv2:symbol \"bformat\" ;\n    rdfs:label " << quoted(info.groupLabel) << " .\n\n"
        << "<" << info.uri << ">\n    a lv2:Plugin , lv2:SpatialPlugin ;\n"
        << "    doap:name " << quoted(info.identity.product) << " ;\n"
        << "    lv2:project " << kProjectUri << " ;\n"
        << "    lv2:minorVersion " << Lv2PluginInfo::kMinorVersion << " ;\n"
        << "    lv2:microVersion " << Lv2PluginInfo::kMicroVersion << " ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable ;\n"
        << "    pg:mainOutput " << groupUri(info) << " ;\n";
    // Hosts look for the editor in what they read for the plug-in.
    if (withUi)
        out << "    ui:ui <" << Lv2PluginInfo::kUiUri << "> ;\n";
    out
        << "    lv2:port ";
    for (std::uint32_t p = 0; p < info.numPorts(); ++p) {
        out << (p == 0 ? "" : " , ");
        writePort(out, info, p);
    }
    out << " .\n";
    return out.str();
}
