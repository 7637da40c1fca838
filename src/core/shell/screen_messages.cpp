#include "core/shell/screen_messages.h"

namespace ped::core {

const hostlib::TMessages& liquidaItemMessages() {
  // Some entries are asked for by no operation of the screen; they stay in
  // the table all the same.
  static const hostlib::TMessages table{
      "Excl|Confirma exclusão?",
      "FILIAL|Filial deve ser informada.",
      "FILIAL_NAO_CAD|Filial não cadastrada.",
      "PE|PE",
      "AN|AN",
      "LQ|LQ",
      "CN|CN",
      "CF|CF",
      "AP|AP",
      "PedidoANLF|Esta operação liquidará o(s) item(s) do(s) pedido(s) selecionado(s). Deseja continuar?",
      "ItemPedidoXXLF|Esta operação liquidará o(s) item(s) selecionado(s). Deseja continuar?",
      "ItemPedidoLFXX|Esta operação excluirá a liquidação do(s) item(s) selecionado(s). Deseja continuar?",
      "NENHUM_CHECK_PEDIDO|Pedidos devem ser informados.",
      "NENHUM_CHECK_ITEMPEDIDO|Itens do pedido devem ser informados.",
      "CANCELAR|Cancelar operação?",
      "ERRO_CONSISTENCIA|Esta operação não pode ser realizada. Atualize os dados.",
      "ERRO_CONSISTENCIA2|Operação bloqueada. Pedido em alteração por outro usuário.",
      "PedANLF|Confirma liquidação dos itens dos pedidos informados?",
      "ItemPedXXLF|Confirma liquidação dos itens informados?",
      "CDJUST_NULL|Justificativa deve ser informada.",
      "JUST_N_CAD|Justificativa de exclusão do histórico não cadastrada.",
      "FILIAL_N_CAD|Não há filial cadastrada.",
      "PA|PA",
      "PedidoEXCLUILF|Esta operação excluirá a liquidação do(s) pedido(s) selecionado(s). Deseja continuar?",
      "CDALMOXARIFE|Almoxarifado",
      "CDALMOXARIFE_Empty|Não há Almoxarifado com quantidade disponível cadastrado.",
      "CDLOCALESTOQ_Empty|Não há Local de Estoque com quantidade disponível cadastrado.",
      "CDLOCALESTOQ|Localização",
      "NRLOTEESTQ|Lote",
      "NRLOTEESTQ_Empty|Não há Lote com quantidade disponível cadastrado.",
      "NRSUBLOTE|Sub-Lote",
      "NRSUBLOTE_Empty|Não há Sub-Lote cadastrado.",
      "CDALMOXARIFE_Deve|Almoxarifado deve ser informado.",
      "CDALMOXARIFE_N_cad|Almoxarifado não cadastrado ou sem quantidade disponível.",
      "CDLOCALESTOQ_Deve|Localização deve ser informada.",
      "CDLOCALESTOQ_N_cad|Localização não cadastrada ou sem quantidade disponível.",
      "NRLOTEESTQ_Deve|Lote deve ser informado.",
      "NRLOTEESTQ_N_cad|Lote não cadastrado ou sem quantidade disponível.",
      "NRSUBLOTE_Deve|Sub-Lote deve ser informado.",
      "NRSUBLOTE_N_cad|Sub-Lote não cadastrado para o Lote informado.",
      "NRLOTEESTQ_Ja_Inf|Lote/Sub-Lote já informado.",
      "QTEXP_Inv|Qtde. a Liquidar deve ser maior que 0.",
      "QTEXP_Isuficiente|A Qtde. a Liquidar informada não está disponível.",
      "Lote_Vencido|O Lote informado está com a data de validade vencida.",
      "Qtd_Dif|Quantidade total a liquidar deve ser igual à quantidade pedida.",
      "MSG_Lancto|Liquidação Manual",
      "Conf_EvolEst|A liquidação manual do pedido implicará na baixa de estoque, sem possibilidade de "
      "devolução. "
      "Deseja continuar?",
      "Irreg_Estq|Operação cancelada. A atualização de estoque de alguns produtos faria com que a posição de "
      "estoque se tornasse irregular.",
      "Vend_n_relac|Não há vendedor parametrizado para o operador logado.",
  };
  return table;
}

}  // namespace ped::core
