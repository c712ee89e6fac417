#include "exporter/xlsx_reader.h"

#include <algorithm>

#include "exporter/xml_text.h"

namespace tlv {
namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool ParseXml(std::string_view xml, pugi::xml_document* doc, std::string_view part,
              std::string* err) {
  pugi::xml_parse_result result = doc->load_buffer(xml.data(), xml.size(), kXmlParseOptions);
  if (!result) {
    *err = std::string(part) + ": " + result.description() + " at byte " +
           std::to_string(result.offset);
    return false;
  }
  return true;
}

struct Relationship {
  std::string id;
  std::string type;
  std::string target;
};

bool ReadRelationships(const ZipPackage& package, std::string_view part,
                       std::vector<Relationship>* out, std::string* err) {
  const std::string rels = RelationshipsPartOf(part);
  const ZipPackage::Entry* entry = package.Find(rels);
  if (!entry) {
    *err = "part " + rels + " is missing";
    return false;
  }
  pugi::xml_document doc;
  if (!ParseXml(entry->data, &doc, rels, err)) return false;
  for (pugi::xml_node node : doc.document_element().children()) {
    if (node.type() != pugi::node_element || LocalName(node) != "Relationship") continue;
    if (std::string_view(node.attribute("TargetMode").value()) == "External") continue;
    out->push_back({node.attribute("Id").value(), node.attribute("Type").value(),
                    node.attribute("Target").value()});
  }
  return true;
}

// Reads "A1"-style addresses, or follows on from the one before.
bool CellColumn(const pugi::xml_node& cell, int previous, int* column) {
  pugi::xml_attribute r = cell.attribute("r");
  if (!r) {
    *column = previous + 1;
    return *column <= kMaxSheetColumns;
  }
  CellRef ref;
  if (!ParseCellRef(r.value(), &ref)) return false;
  *column = ref.column;
  return true;
}

}  // namespace

std::string RelationshipsPartOf(std::string_view part) {
  std::size_t slash = part.rfind('/');
  if (slash == std::string_view::npos) return "_rels/" + std::string(part) + ".rels";
  return std::string(part.substr(0, slash + 1)) + "_rels/" + std::string(part.substr(slash + 1)) +
         ".rels";
}

std::string ResolveTarget(std::string_view source_part, std::string_view target) {
  std::vector<std::string> segments;
  if (!target.empty() && target.front() == '/') {
    target.remove_prefix(1);
  } else {
    std::size_t slash = source_part.rfind('/');
    std::string_view dir = slash == std::string_view::npos ? "" : source_part.substr(0, slash);
    while (!dir.empty()) {
      std::size_t next = dir.find('/');
      segments.emplace_back(dir.substr(0, next));
      dir = next == std::string_view::npos ? "" : dir.substr(next + 1);
    }
  }
  while (!target.empty()) {
    std::size_t next = target.find('/');
    std::string_view segment = target.substr(0, next);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.emplace_back(segment);
    }
    target = next == std::string_view::npos ? "" : target.substr(next + 1);
  }
  std::string path;
  for (const std::string& segment : segments) {
    if (!path.empty()) path += '/';
    path += segment;
  }
  return path;
}

bool ReadWorkbookLayout(const ZipPackage& package, WorkbookLayout* layout, std::string* err) {
  *layout = {};
  std::vector<Relationship> root;
  if (!ReadRelationships(package, "", &root, err)) return false;
  for (const Relationship& rel : root)
    if (EndsWith(rel.type, "/officeDocument")) layout->workbook_part = ResolveTarget("", rel.target);
  if (layout->workbook_part.empty()) {
    *err = "the package names no workbook part";
    return false;
  }
  const ZipPackage::Entry* workbook = package.Find(layout->workbook_part);
  if (!workbook) {
    *err = "part " + layout->workbook_part + " is missing";
    return false;
  }
  std::vector<Relationship> rels;
  if (!ReadRelationships(package, layout->workbook_part, &rels, err)) return false;
  for (const Relationship& rel : rels) {
    if (EndsWith(rel.type, "/sharedStrings"))
      layout->shared_strings_part = ResolveTarget(layout->workbook_part, rel.target);
  }

  pugi::xml_document doc;
  if (!ParseXml(workbook->data, &doc, layout->workbook_part, err)) return false;
  pugi::xml_node sheets = ChildByLocalName(doc.document_element(), "sheets");
  for (pugi::xml_node sheet : sheets.children()) {
    if (sheet.type() != pugi::node_element || LocalName(sheet) != "sheet") continue;
    // The relationship id is the one attribute in the relationships namespace.
    std::string_view id;
    for (pugi::xml_attribute attr : sheet.attributes()) {
      std::string_view name = attr.name();
      if (name.size() > 3 && name.substr(name.size() - 3) == ":id") id = attr.value();
    }
    for (const Relationship& rel : rels) {
      if (rel.id == id && EndsWith(rel.type, "/worksheet")) {
        layout->sheets.push_back(
            {sheet.attribute("name").value(), ResolveTarget(layout->workbook_part, rel.target)});
      }
    }
  }
  if (layout->sheets.empty()) {
    *err = "the workbook holds no worksheet";
    return false;
  }
  return true;
}

bool ReadSharedStrings(std::string_view xml, std::vector<std::string>* strings,
                       std::string* err) {
  pugi::xml_document doc;
  if (!ParseXml(xml, &doc, "shared strings", err)) return false;
  for (pugi::xml_node item : doc.document_element().children())
    if (item.type() == pugi::node_element && LocalName(item) == "si")
      strings->push_back(StringItemText(item));
  return true;
}

bool ReadSheetPart(std::string_view xml, Worksheet* sheet, pugi::xml_document* skeleton,
                   std::string* err) {
  if (!ParseXml(xml, skeleton, sheet->name(), err)) return false;
  pugi::xml_node root = skeleton->document_element();
  if (LocalName(root) != "worksheet") {
    *err = "part of sheet " + sheet->name() + " is not a worksheet";
    return false;
  }
  pugi::xml_node data = ChildByLocalName(root, "sheetData");
  if (!data) {
    *err = "sheet " + sheet->name() + " has no sheet data";
    return false;
  }
  auto bad = [&](const char* what) {
    *err = "sheet " + sheet->name() + ": " + what;
    return false;
  };
  std::map<int, SheetRow>& rows = sheet->rows();
  int previous_row = 0;
  for (pugi::xml_node row_node : data.children()) {
    if (row_node.type() != pugi::node_element || LocalName(row_node) != "row") continue;
    int row_number = previous_row + 1;
    if (pugi::xml_attribute r = row_node.attribute("r")) row_number = r.as_int(0);
    if (row_number < 1 || row_number > kMaxSheetRows) return bad("bad row number");
    previous_row = row_number;
    SheetRow& row = rows[row_number];
    for (pugi::xml_attribute attr : row_node.attributes()) {
      std::string_view name = attr.name();
      if (name != "r" && name != "spans") row.attributes.emplace_back(attr.name(), attr.value());
    }
    int previous_column = 0;
    for (pugi::xml_node cell_node : row_node.children()) {
      if (cell_node.type() != pugi::node_element || LocalName(cell_node) != "c") continue;
      SheetCell cell;
      if (!CellColumn(cell_node, previous_column, &cell.column)) return bad("bad cell address");
      previous_column = cell.column;
      for (pugi::xml_attribute attr : cell_node.attributes()) {
        std::string_view name = attr.name();
        if (name == "s") {
          cell.style = attr.value();
        } else if (name == "t") {
          cell.type = attr.value();
        } else if (name != "r") {
          cell.extra_attributes.emplace_back(attr.name(), attr.value());
        }
      }
      for (pugi::xml_node child : cell_node.children()) {
        if (child.type() != pugi::node_element) continue;
        std::string_view name = LocalName(child);
        if (name == "v") {
          cell.value = child.child_value();
        } else if (name == "f") {
          cell.formula_xml = PrintNode(child);
          cell.formula_text = child.child_value();
          cell.array_formula = std::string_view(child.attribute("t").value()) == "array";
          if (std::string_view(child.attribute("t").value()) == "shared" && child.attribute("si")) {
            cell.shared_formula = child.attribute("si").as_int(-1);
            cell.shared_master = child.attribute("ref") && *child.child_value() != '\0';
          }
        } else if (name == "is") {
          cell.value = StringItemText(child);
        }
      }
      if (cell.type == "str" || cell.type == "e") cell.value = DecodeEscapedText(cell.value);
      row.cells.push_back(std::move(cell));
    }
    // A well-formed part lists cells in order; put any other in order, the
    // last of two cells at one address winning.
    std::stable_sort(row.cells.begin(), row.cells.end(),
                     [](const SheetCell& a, const SheetCell& b) { return a.column < b.column; });
    auto last = std::unique(row.cells.rbegin(), row.cells.rend(),
                            [](const SheetCell& a, const SheetCell& b) { return a.column == b.column; });
    row.cells.erase(row.cells.begin(), last.base());
  }
  data.remove_children();

  if (pugi::xml_node merges = ChildByLocalName(root, "mergeCells")) {
    for (pugi::xml_node merge : merges.children()) {
      if (merge.type() != pugi::node_element || LocalName(merge) != "mergeCell") continue;
      CellRange range;
      if (!ParseCellRange(merge.attribute("ref").value(), &range)) return bad("bad merged area");
      sheet->mutable_merges().push_back(range);
    }
    root.remove_child(merges);
  }
  sheet->set_modified(false);
  return true;
}

}  // namespace tlv
