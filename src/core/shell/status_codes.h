#pragma once
// The one-character codes every rule of the screen tests: order and item
// statuses, the marks of IDCHECK, and the levels of the last marking.

#include <string_view>

namespace ped::core {

namespace sit_pedido {
inline constexpr std::string_view EmAndamento = "2";
inline constexpr std::string_view Liquidado = "3";
inline constexpr std::string_view LiquidadoManual = "5";  // the one whose liquidation can be excluded
inline constexpr std::string_view ParcAtendido = "6";
}  // namespace sit_pedido

namespace sit_item {
inline constexpr std::string_view Pendente = "1";
inline constexpr std::string_view Confirmado = "2";
inline constexpr std::string_view Aprovado = "3";
inline constexpr std::string_view Liquidado = "4";
inline constexpr std::string_view Cancelado = "5";
inline constexpr std::string_view LiquidadoManual = "6";
inline constexpr std::string_view ParcAtendido = "7";
}  // namespace sit_item

namespace marca {
inline constexpr std::string_view Marcado = "S";
inline constexpr std::string_view Desmarcado = "N";
inline constexpr std::string_view Bloqueado = "B";  // orders only
inline constexpr std::string_view Inalteravel = "";  // items only
}  // namespace marca

namespace nivel {
inline constexpr std::string_view Pedido = "PEDIDO";
inline constexpr std::string_view ItemPedido = "ITEMPEDIDO";
}  // namespace nivel

}  // namespace ped::core
