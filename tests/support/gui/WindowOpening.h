#pragma once
// Opens a window the way the main window's command does (tables, link, preparation)
// but modeless, so a test can drive it.
class TModulDanych1;
class TTowary;

namespace jadl::test {

TTowary* openSupplierGoodsWindow(TModulDanych1& dm);

} // namespace jadl::test
