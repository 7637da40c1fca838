#pragma once
// The operator's filter as the filter dialog last confirmed it; the dialog
// restores its controls from it each time it is shown.

#include <string>

namespace ped::core {

struct TNrPedido {
  bool boIntervalo = false;
  bool boLista = false;
  std::string stDeIntervalo;
  std::string stAteIntervalo;
  std::string stLista;
};

// Products, sellers and clients: all of them, or the picked list.
struct TListaFiltro {
  bool boTodos = true;
  std::string stLista;
};
using TProduto = TListaFiltro;
using TVendedor = TListaFiltro;
using TCliente = TListaFiltro;

struct TFiltro {
  TNrPedido NrPedido;
  bool boNormal = true;
  bool boAlta = true;
  bool boUrgente = true;
  bool boBaixa = true;
  bool boPrioritaria = true;
  bool boPAndamento = true;
  bool boPLiquidado = true;
  bool boPParcialmente = true;
  bool boIPendente = true;
  bool boIConfirmado = true;
  bool boIAprovado = true;
  bool boILiquidado = true;
  bool boICancelado = true;
  bool boIParcialmente = true;
  TProduto Produto;
  TVendedor Vendedor;
  TCliente Cliente;
  double dtDeEntrega = 0;  // engine dates; 0 is no date
  double dtAteEntrega = 0;
  double dtDeEmissao = 0;
  double dtAteEmissao = 0;
};

}  // namespace ped::core
