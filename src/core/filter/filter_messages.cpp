#include "core/filter/filter_messages.h"

namespace ped::core {

const hostlib::TMessages& filtroLiquidaItemMessages() {
  // The entries after PRODUTO are asked for by no operation of the dialog;
  // they stay in the table all the same.
  static const hostlib::TMessages table{
      "DTINI>DTFIN_ENTREGA|Data de entrega inicial deve ser menor ou igual a data de entrega final.",
      "DTINI_ENTREGA|Data de entrega inicial deve ser informada.",
      "DTFIN_ENTREGA|Data de entrega final deve ser informada.",
      "DTINI>DTFIN_PEDIDO|Data do pedido inicial deve ser menor ou igual a data do pedido final.",
      "DTINI_PEDIDO|Data do pedido inicial deve ser informada.",
      "DTFIN_PEDIDO|Data do pedido final deve ser informada.",
      "DATA_INV|não é uma data válida.",
      "NRINI>NRFIN|Número pedido inicial deve ser menor ou igual ao número pedido final.",
      "NRINI|Intervalo inicial deve ser informado.",
      "NRFIN|Intervalo final deve ser informado.",
      "STATUSPED|Situação do pedido deve ser informada.",
      "STATUSITEMPED|Situação do item deve ser informada.",
      "PRIO|Prioridade deve ser informada.",
      "LNrPedido|Número pedido deve ser informado.",
      "LCliente|Cliente deve ser informado.",
      "LProduto|Produto deve ser informado.",
      "LVendedor|Vendedor deve ser informado.",
      "VEND|Não há vendedor cadastrado.",
      "CLIE|Não há cliente cadastrado.",
      "N_PEDIDOS_CAD|Não há pedidos para filial informada.",
      "PEDIDO|Pedido",
      "CLIENTE|Cliente",
      "VENDEDOR|Vendedor",
      "PRODUTO|Produto",
      "CODVERS|Versão não cadastrada.",
      "GRUP_SIST|Grupo de Sistemas",
      "SISTEMA|Sistema",
      "ASSUNTO|Assunto da Solicitação",
      "FASE_TRAM|Fase de Tramitação",
      "FUNC_SOLI|Funcionário Solicitante",
      "FUNC_RESP|Funcionário Responsável",
      "INTERLOC|Interlocutor",
      "REPRESENTANTE|Representante",
      "LRepresentante|Representante deve ser informado.",
      "PROD|Não há produto cadastrado.",
  };
  return table;
}

}  // namespace ped::core
