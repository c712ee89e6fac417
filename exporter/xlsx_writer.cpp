#include "exporter/xlsx_writer.h"

#include <sstream>

#include "exporter/xml_text.h"

namespace tlv {
namespace {

// Elements that may stand between the sheet data and the merged areas, in
// the order the sheet schema gives them.
constexpr std::string_view kBeforeMergeCells[] = {
    "sheetData",    "sheetCalcPr", "sheetProtection", "protectedRanges", "scenarios",
    "autoFilter",   "sortState",   "dataConsolidate", "customSheetViews"};

bool IsBeforeMergeCells(std::string_view name) {
  for (std::string_view before : kBeforeMergeCells)
    if (before == name) return true;
  return false;
}

bool NeedsPreserve(std::string_view text) {
  return !text.empty() && (text.front() == ' ' || text.back() == ' ' || text.front() == '\t' ||
                           text.back() == '\t' || text.front() == '\n' || text.back() == '\n');
}

void WriteCell(pugi::xml_node row_node, const std::string& prefix, int row, const SheetCell& cell) {
  pugi::xml_node c = row_node.append_child((prefix + "c").c_str());
  c.append_attribute("r").set_value(FormatCellRef({row, cell.column}).c_str());
  if (!cell.style.empty()) c.append_attribute("s").set_value(cell.style.c_str());
  if (!cell.type.empty()) c.append_attribute("t").set_value(cell.type.c_str());
  for (const auto& [name, value] : cell.extra_attributes)
    c.append_attribute(name.c_str()).set_value(value.c_str());
  if (!cell.formula_xml.empty()) c.append_buffer(cell.formula_xml.data(), cell.formula_xml.size(),
                                                 pugi::parse_default | pugi::parse_ws_pcdata_single);
  if (cell.type == "inlineStr") {
    pugi::xml_node t = c.append_child((prefix + "is").c_str()).append_child((prefix + "t").c_str());
    std::string text = EncodeEscapedText(cell.value);
    if (NeedsPreserve(text)) t.append_attribute("xml:space").set_value("preserve");
    t.text().set(text.c_str());
  } else if (!cell.value.empty()) {
    std::string text = cell.type == "str" || cell.type == "e" ? EncodeEscapedText(cell.value)
                                                              : cell.value;
    c.append_child((prefix + "v").c_str()).text().set(text.c_str());
  }
}

std::string ContentTypesXml() {
  return R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/><Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/><Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/><Override PartName="/xl/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/></Types>)";
}

}  // namespace

std::string WriteSheetPart(pugi::xml_document* skeleton, const Worksheet& sheet) {
  pugi::xml_node root = skeleton->document_element();
  pugi::xml_node data = ChildByLocalName(root, "sheetData");
  const std::string prefix(NamePrefix(data));

  for (const auto& [number, row] : sheet.rows()) {
    pugi::xml_node row_node = data.append_child((prefix + "row").c_str());
    row_node.append_attribute("r").set_value(number);
    for (const auto& [name, value] : row.attributes)
      row_node.append_attribute(name.c_str()).set_value(value.c_str());
    for (const SheetCell& cell : row.cells) WriteCell(row_node, prefix, number, cell);
  }

  pugi::xml_node merges;
  if (!sheet.merges().empty()) {
    pugi::xml_node after = data;
    for (pugi::xml_node node = data.next_sibling(); node; node = node.next_sibling())
      if (node.type() == pugi::node_element && IsBeforeMergeCells(LocalName(node))) after = node;
    merges = root.insert_child_after((prefix + "mergeCells").c_str(), after);
    merges.append_attribute("count").set_value(sheet.merges().size());
    for (const CellRange& range : sheet.merges()) {
      merges.append_child((prefix + "mergeCell").c_str())
          .append_attribute("ref")
          .set_value(FormatCellRange(range).c_str());
    }
  }

  pugi::xml_node dimension = ChildByLocalName(root, "dimension");
  std::string old_dimension;
  if (dimension) {
    old_dimension = dimension.attribute("ref").value();
    Worksheet::UsedArea used = sheet.Used();
    std::string ref = used.found ? FormatCellRange(used.range) : "A1";
    if (!dimension.attribute("ref")) dimension.append_attribute("ref");
    dimension.attribute("ref").set_value(ref.c_str());
  }

  std::ostringstream out;
  skeleton->save(out, "", pugi::format_raw, pugi::encoding_utf8);

  // Leave the skeleton as the reader made it, ready for another save.
  data.remove_children();
  if (merges) root.remove_child(merges);
  if (dimension) dimension.attribute("ref").set_value(old_dimension.c_str());
  return out.str();
}

void DropCalculationChain(ZipPackage* package, const WorkbookLayout& layout) {
  std::string chain;
  const std::string rels_part = RelationshipsPartOf(layout.workbook_part);
  ZipPackage::Entry* rels = package->Find(rels_part);
  if (!rels) return;
  pugi::xml_document doc;
  if (!doc.load_buffer(rels->data.data(), rels->data.size(), kXmlParseOptions)) return;
  pugi::xml_node root = doc.document_element();
  for (pugi::xml_node rel = root.first_child(); rel;) {
    pugi::xml_node next = rel.next_sibling();
    std::string_view type = rel.attribute("Type").value();
    if (type.size() >= 10 && type.substr(type.size() - 10) == "/calcChain") {
      chain = ResolveTarget(layout.workbook_part, rel.attribute("Target").value());
      root.remove_child(rel);
    }
    rel = next;
  }
  if (chain.empty()) return;
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  rels->data = out.str();
  package->Remove(chain);

  if (ZipPackage::Entry* types = package->Find("[Content_Types].xml")) {
    pugi::xml_document types_doc;
    if (!types_doc.load_buffer(types->data.data(), types->data.size(), kXmlParseOptions)) return;
    pugi::xml_node types_root = types_doc.document_element();
    const std::string part_name = "/" + chain;
    for (pugi::xml_node node = types_root.first_child(); node;) {
      pugi::xml_node next = node.next_sibling();
      if (part_name == node.attribute("PartName").value()) types_root.remove_child(node);
      node = next;
    }
    std::ostringstream types_out;
    types_doc.save(types_out, "", pugi::format_raw, pugi::encoding_utf8);
    types->data = types_out.str();
  }
}

void RequestFullCalculation(ZipPackage* package, const WorkbookLayout& layout) {
  ZipPackage::Entry* entry = package->Find(layout.workbook_part);
  if (!entry) return;
  pugi::xml_document doc;
  if (!doc.load_buffer(entry->data.data(), entry->data.size(), kXmlParseOptions)) return;
  pugi::xml_node root = doc.document_element();
  pugi::xml_node calc = ChildByLocalName(root, "calcPr");
  if (!calc) {
    // calcPr follows these in the workbook schema's order.
    static constexpr std::string_view kBefore[] = {
        "fileVersion", "fileSharing", "workbookPr", "workbookProtection", "bookViews",
        "sheets", "functionGroups", "externalReferences", "definedNames"};
    pugi::xml_node after;
    for (pugi::xml_node node : root.children()) {
      if (node.type() != pugi::node_element) continue;
      for (std::string_view name : kBefore)
        if (LocalName(node) == name) after = node;
    }
    const std::string name = std::string(NamePrefix(root)) + "calcPr";
    calc = after ? root.insert_child_after(name.c_str(), after) : root.prepend_child(name.c_str());
  }
  if (std::string_view(calc.attribute("fullCalcOnLoad").value()) == "1") return;
  if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
  calc.attribute("fullCalcOnLoad").set_value("1");
  std::ostringstream out;
  doc.save(out, "", pugi::format_raw, pugi::encoding_utf8);
  entry->data = out.str();
}

ZipPackage MinimalPackage(const std::string& sheet_name) {
  pugi::xml_document names;
  pugi::xml_node sheet = names.append_child("sheet");
  sheet.append_attribute("name").set_value(sheet_name.c_str());
  std::string sheet_xml = PrintNode(sheet);
  sheet_xml.insert(sheet_xml.size() - 2, R"( sheetId="1" r:id="rId1")");

  ZipPackage package;
  package.entries.push_back({"[Content_Types].xml", ContentTypesXml()});
  package.entries.push_back(
      {"_rels/.rels",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"});
  package.entries.push_back(
      {"xl/workbook.xml",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)" +
           sheet_xml + "</sheets></workbook>"});
  package.entries.push_back(
      {"xl/_rels/workbook.xml.rels",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/></Relationships>)"});
  package.entries.push_back(
      {"xl/worksheets/sheet1.xml",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><dimension ref="A1"/><sheetData/></worksheet>)"});
  package.entries.push_back(
      {"xl/styles.xml",
       R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><fonts count="1"><font><sz val="11"/><name val="IPAGothic"/></font></fonts><fills count="2"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill></fills><borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders><cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs><cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/></cellXfs><cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles></styleSheet>)"});
  return package;
}

}  // namespace tlv
