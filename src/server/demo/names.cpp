#include "server/demo/names.h"

namespace ped::server::demo::names {

const std::vector<std::string>& femaleFirstNames() {
  static const std::vector<std::string> v = {
      "Maria",     "Ana",        "Francisca", "Antônia", "Adriana", "Juliana", "Márcia",   "Fernanda",
      "Patrícia",  "Aline",      "Sandra",    "Camila",  "Amanda",  "Bruna",   "Jéssica",  "Letícia",
      "Luciana",   "Vanessa",    "Cristina",  "Simone",  "Beatriz", "Larissa", "Gabriela", "Rafaela",
      "Tatiane",   "Renata",     "Daniela",   "Débora",  "Mariana", "Helena",  "Sônia",    "Conceição",
      "Rosângela", "Vera Lúcia", "Cláudia",   "Priscila"};
  return v;
}

const std::vector<std::string>& maleFirstNames() {
  static const std::vector<std::string> v = {
      "José",     "João",    "Antônio",  "Francisco", "Carlos",    "Paulo",   "Pedro",    "Lucas",
      "Luiz",     "Marcos",  "Luís",     "Gabriel",   "Rafael",    "Daniel",  "Marcelo",  "Bruno",
      "Eduardo",  "Felipe",  "Raimundo", "Rodrigo",   "Sebastião", "André",   "Fernando", "Fábio",
      "Leonardo", "Gustavo", "Thiago",   "Diego",     "Sérgio",    "Roberto", "Jorge",    "Ricardo",
      "Vinícius", "Mateus",  "Otávio",   "Wellington"};
  return v;
}

const std::vector<std::string>& surnames() {
  static const std::vector<std::string> v = {
      "Silva",     "Santos",    "Oliveira", "Souza",   "Rodrigues",  "Ferreira", "Alves",      "Pereira",
      "Lima",      "Gomes",     "Costa",    "Ribeiro", "Martins",    "Carvalho", "Almeida",    "Lopes",
      "Soares",    "Fernandes", "Vieira",   "Barbosa", "Rocha",      "Dias",     "Nascimento", "Andrade",
      "Moreira",   "Nunes",     "Marques",  "Machado", "Mendes",     "Freitas",  "Cardoso",    "Ramos",
      "Gonçalves", "Santana",   "Teixeira", "Araújo",  "Cavalcanti", "Moura",    "Correia",    "Pinto",
      "Batista",   "Monteiro",  "Campos",   "Cunha",   "Reis"};
  return v;
}

const std::vector<std::string>& businessKinds() {
  static const std::vector<std::string> v = {"Mercado",
                                             "Supermercado",
                                             "Mercearia",
                                             "Armazém",
                                             "Empório",
                                             "Padaria",
                                             "Distribuidora",
                                             "Comercial",
                                             "Ferragens",
                                             "Depósito",
                                             "Casa de Tintas",
                                             "Atacadão",
                                             "Materiais de Construção",
                                             "Loja",
                                             "Minimercado",
                                             "Casa do Construtor",
                                             "Auto Peças",
                                             "Lanchonete",
                                             "Restaurante",
                                             "Hortifrúti"};
  return v;
}

const std::vector<std::string>& businessNames() {
  static const std::vector<std::string> v = {"Bom Preço",      "São Jorge",
                                             "Santa Luzia",    "Boa Vista",
                                             "Central",        "do Povo",
                                             "Dois Irmãos",    "Progresso",
                                             "Nova Esperança", "Primavera",
                                             "Estrela",        "Brasil",
                                             "Ideal",          "Popular",
                                             "Real",           "Paraíso",
                                             "São José",       "Bela Vista",
                                             "Santo Antônio",  "União",
                                             "Vitória",        "Aliança",
                                             "Três Marias",    "Bom Jesus",
                                             "Planalto",       "Sol Nascente",
                                             "Avenida",        "Da Praça",
                                             "Família",        "Confiança",
                                             "Econômico",      "Jardim",
                                             "Horizonte",      "Nossa Senhora Aparecida",
                                             "Ipê Amarelo"};
  return v;
}

const std::vector<std::string>& legalSuffixes() {
  static const std::vector<std::string> v = {" Ltda",    " Ltda", " Ltda", " Comércio Ltda",
                                             " Ltda ME", " EPP",  " S.A.", " Comércio e Serviços Ltda",
                                             " Eireli"};
  return v;
}

const std::vector<std::string>& streets() {
  static const std::vector<std::string> v = {"Rua das Flores",
                                             "Avenida Brasil",
                                             "Rua XV de Novembro",
                                             "Rua Sete de Setembro",
                                             "Avenida Getúlio Vargas",
                                             "Rua Tiradentes",
                                             "Rua Dom Pedro II",
                                             "Rua São José",
                                             "Avenida Santos Dumont",
                                             "Rua Marechal Deodoro",
                                             "Rua Barão do Rio Branco",
                                             "Travessa das Acácias",
                                             "Rua dos Andradas",
                                             "Avenida Independência",
                                             "Rua Rui Barbosa",
                                             "Rua Castro Alves",
                                             "Rua José de Alencar",
                                             "Alameda dos Ipês",
                                             "Rua Bahia",
                                             "Rua Pernambuco",
                                             "Avenida Presidente Vargas",
                                             "Rua Duque de Caxias",
                                             "Rua Quintino Bocaiúva",
                                             "Rua Voluntários da Pátria",
                                             "Avenida João Pessoa",
                                             "Rua Padre Anchieta",
                                             "Rua Benjamin Constant",
                                             "Rua Floriano Peixoto",
                                             "Rua das Palmeiras",
                                             "Rua Santa Catarina",
                                             "Avenida Paraná",
                                             "Rua Carlos Gomes",
                                             "Estrada Municipal",
                                             "Rodovia BR-116, km",
                                             "Rua Visconde de Mauá",
                                             "Praça da Matriz"};
  return v;
}

const std::vector<std::string>& addressComplements() {
  static const std::vector<std::string> v = {" - Loja 2",  " - Sala 101", " - Galpão 3", " - Fundos",
                                             " - Bloco B", " - Térreo",   " - Box 14",   " - Casa 2"};
  return v;
}

const std::vector<CityEntry>& cities() {
  static const std::vector<CityEntry> v = {{"SP", "3550308", "São Paulo"},
                                           {"SP", "3509502", "Campinas"},
                                           {"SP", "3543402", "Ribeirão Preto"},
                                           {"SP", "3548500", "Santos"},
                                           {"SP", "3552205", "Sorocaba"},
                                           {"RJ", "3304557", "Rio de Janeiro"},
                                           {"MG", "3106200", "Belo Horizonte"},
                                           {"MG", "3170206", "Uberlândia"},
                                           {"MG", "3136702", "Juiz de Fora"},
                                           {"PR", "4106902", "Curitiba"},
                                           {"PR", "4113700", "Londrina"},
                                           {"PR", "4115200", "Maringá"},
                                           {"SC", "4205407", "Florianópolis"},
                                           {"SC", "4209102", "Joinville"},
                                           {"SC", "4202404", "Blumenau"},
                                           {"RS", "4314902", "Porto Alegre"},
                                           {"RS", "4305108", "Caxias do Sul"},
                                           {"BA", "2927408", "Salvador"},
                                           {"BA", "2910800", "Feira de Santana"},
                                           {"PE", "2611606", "Recife"},
                                           {"CE", "2304400", "Fortaleza"},
                                           {"DF", "5300108", "Brasília"},
                                           {"GO", "5208707", "Goiânia"},
                                           {"AM", "1302603", "Manaus"},
                                           {"PA", "1501402", "Belém"},
                                           {"RN", "2408102", "Natal"},
                                           {"PB", "2507507", "João Pessoa"},
                                           {"AL", "2704302", "Maceió"},
                                           {"SE", "2800308", "Aracaju"},
                                           {"PI", "2211001", "Teresina"},
                                           {"MA", "2111300", "São Luís"},
                                           {"MT", "5103403", "Cuiabá"},
                                           {"MS", "5002704", "Campo Grande"},
                                           {"ES", "3205309", "Vitória"}};
  return v;
}

const std::vector<CatalogEntry>& catalog() {
  // group 01 hardware, 02 electrical, 03 building, 04 food, 05 cleaning, 06 hygiene
  static const std::vector<CatalogEntry> v = {
      {1,
       1,
       "Parafuso Sextavado Zincado",
       {"1/4 x 1\"", "1/4 x 2\"", "5/16 x 2\"", "3/8 x 3\""},
       "UN",
       0.45,
       0.20},
      {1,
       1,
       "Parafuso Chipboard Cabeça Chata",
       {"3,5 x 25 mm", "4,0 x 40 mm", "5,0 x 50 mm"},
       "CX",
       18.90,
       6.50},
      {1, 1, "Bucha de Nylon", {"6 mm", "8 mm", "10 mm"}, "PCT", 7.50, 2.00},
      {1, 2, "Prego com Cabeça", {"12 x 12", "17 x 27", "18 x 30"}, "KG", 16.80, 1.20},
      {1, 2, "Arame Recozido", {"nº 18"}, "KG", 22.40, 0},
      {1, 3, "Martelo de Unha", {"23 mm", "27 mm"}, "UN", 34.90, 8.00},
      {1, 3, "Alicate Universal", {"6\"", "8\""}, "UN", 29.90, 9.00},
      {1, 3, "Chave de Fenda", {"1/8 x 4\"", "3/16 x 6\"", "1/4 x 8\""}, "UN", 9.90, 3.00},
      {1, 3, "Chave Phillips", {"1/8 x 4\"", "3/16 x 6\""}, "UN", 10.50, 3.00},
      {1, 3, "Trena Emborrachada", {"3 m", "5 m", "8 m"}, "UN", 14.90, 7.00},
      {1, 3, "Serrote Profissional", {"20\"", "24\""}, "UN", 42.00, 8.00},
      {1, 4, "Cadeado de Latão", {"25 mm", "35 mm", "45 mm"}, "UN", 19.90, 8.00},
      {1, 4, "Fechadura Externa Cromada", {}, "UN", 89.90, 0},
      {1, 4, "Dobradiça de Aço", {"3\"", "3 1/2\""}, "UN", 6.90, 1.50},
      {2, 1, "Cabo Flexível", {"1,5 mm²", "2,5 mm²", "4,0 mm²", "6,0 mm²"}, "M", 1.80, 1.10},
      {2, 1, "Fio Paralelo", {"2 x 1,5 mm²", "2 x 2,5 mm²"}, "M", 2.90, 1.40},
      {2, 2, "Lâmpada LED Bulbo", {"9 W", "12 W", "15 W"}, "UN", 8.90, 3.00},
      {2, 2, "Lâmpada Tubular LED", {"9 W 60 cm", "18 W 120 cm"}, "UN", 15.90, 9.00},
      {2, 3, "Tomada 2P+T", {"10 A", "20 A"}, "UN", 11.90, 3.50},
      {2, 3, "Interruptor Simples", {"1 tecla", "2 teclas", "3 teclas"}, "UN", 9.50, 4.00},
      {2, 3, "Disjuntor Unipolar", {"16 A", "25 A", "32 A"}, "UN", 14.90, 2.50},
      {2, 3, "Fita Isolante", {"10 m", "20 m"}, "UN", 4.90, 3.50},
      {3, 1, "Cimento CP II 50 kg", {}, "UN", 38.90, 0},
      {3, 1, "Argamassa Colante AC-I 20 kg", {}, "UN", 19.90, 0},
      {3, 1, "Cal Hidratada 20 kg", {}, "UN", 17.50, 0},
      {3, 1, "Areia Média Ensacada 20 kg", {}, "UN", 8.90, 0},
      {3, 2, "Tinta Acrílica Fosca Branca", {"3,6 L", "18 L"}, "UN", 79.90, 230.00},
      {3, 2, "Tinta Acrílica Semibrilho", {"Gelo 3,6 L", "Areia 3,6 L", "Verde Limão 3,6 L"}, "UN", 94.90, 0},
      {3, 2, "Massa Corrida PVA", {"1,5 kg", "25 kg"}, "UN", 14.90, 75.00},
      {3, 2, "Thinner", {"900 ml", "5 L"}, "UN", 18.90, 62.00},
      {3, 2, "Rolo de Lã", {"9 cm", "23 cm"}, "UN", 12.90, 14.00},
      {3, 2, "Pincel Cerdas Gris", {"1\"", "2\"", "3\""}, "UN", 5.90, 3.00},
      {3, 3, "Tubo PVC Soldável", {"20 mm", "25 mm", "32 mm", "50 mm"}, "M", 4.20, 2.60},
      {3, 3, "Joelho 90° PVC Soldável", {"20 mm", "25 mm", "32 mm"}, "UN", 0.90, 0.60},
      {3, 3, "Registro de Gaveta", {"1/2\"", "3/4\""}, "UN", 39.90, 12.00},
      {3, 3, "Cola para PVC", {"75 g", "175 g"}, "UN", 9.90, 8.00},
      {4, 1, "Arroz Branco Tipo 1", {}, "KG", 5.89, 0},
      {4, 1, "Arroz Parboilizado Tipo 1", {}, "KG", 5.49, 0},
      {4, 1, "Feijão Carioca Tipo 1", {}, "KG", 7.99, 0},
      {4, 1, "Feijão Preto Tipo 1", {}, "KG", 8.49, 0},
      {4, 1, "Açúcar Cristal", {}, "KG", 4.29, 0},
      {4, 1, "Farinha de Mandioca Torrada", {}, "KG", 6.90, 0},
      {4, 1, "Café Torrado e Moído", {"250 g", "500 g"}, "PCT", 12.90, 11.50},
      {4, 2, "Macarrão Espaguete", {"500 g", "1 kg"}, "PCT", 4.49, 3.80},
      {4, 2, "Macarrão Parafuso com Ovos", {"500 g"}, "PCT", 4.99, 0},
      {4, 2, "Farinha de Trigo Especial", {"1 kg", "5 kg"}, "PCT", 5.49, 17.50},
      {4, 2, "Biscoito Cream Cracker", {"400 g"}, "PCT", 5.99, 0},
      {4, 2, "Biscoito Maisena", {"400 g"}, "PCT", 5.49, 0},
      {4, 3, "Óleo de Soja", {"900 ml"}, "UN", 7.49, 0},
      {4, 3, "Azeite de Oliva Extra Virgem", {"500 ml"}, "UN", 34.90, 0},
      {4, 3, "Leite UHT Integral", {"1 L"}, "CX", 62.90, 0},
      {4, 3, "Refrigerante de Guaraná", {"2 L", "350 ml lata"}, "UN", 8.99, -5.00},
      {4, 3, "Água Mineral sem Gás", {"500 ml", "1,5 L", "5 L"}, "UN", 1.99, 2.50},
      {4, 3, "Suco de Uva Integral", {"1 L"}, "LT", 14.90, 0},
      {4, 3, "Vinagre de Álcool", {"750 ml"}, "UN", 3.29, 0},
      {4, 4, "Queijo Muçarela", {}, "KG", 42.90, 0},
      {4, 4, "Presunto Cozido", {}, "KG", 32.90, 0},
      {4, 4, "Mortadela Defumada", {}, "KG", 19.90, 0},
      {4, 4, "Linguiça Toscana", {}, "KG", 24.90, 0},
      {4, 4, "Carne Moída de Patinho", {}, "KG", 44.90, 0},
      {4, 4, "Peito de Frango Congelado", {}, "KG", 21.90, 0},
      {4, 4, "Manteiga com Sal", {"200 g", "500 g"}, "UN", 12.90, 15.00},
      {5, 1, "Detergente Líquido Neutro", {"500 ml"}, "UN", 2.49, 0},
      {5, 1, "Água Sanitária", {"1 L", "2 L", "5 L"}, "UN", 4.29, 3.50},
      {5, 1, "Desinfetante Lavanda", {"500 ml", "2 L"}, "UN", 4.99, 7.00},
      {5, 1, "Limpador Multiuso", {"500 ml"}, "UN", 5.49, 0},
      {5, 1, "Álcool Líquido 70%", {"1 L", "5 L"}, "UN", 9.90, 30.00},
      {5, 1, "Cloro Líquido para Piscina", {"5 L"}, "LT", 8.90, 0},
      {5, 2, "Sabão em Pó", {"800 g", "1,6 kg"}, "CX", 14.90, 12.00},
      {5, 2, "Sabão em Barra Glicerinado", {"5 x 200 g"}, "PCT", 11.90, 0},
      {5, 2, "Amaciante de Roupas", {"2 L", "5 L"}, "UN", 16.90, 22.00},
      {5, 3, "Esponja Dupla Face", {"3 unidades", "10 unidades"}, "PCT", 5.49, 9.00},
      {5, 3, "Saco para Lixo", {"30 L", "50 L", "100 L"}, "PCT", 7.90, 3.50},
      {5, 3, "Pano de Chão Alvejado", {}, "UN", 6.90, 0},
      {5, 3, "Vassoura de Pelo", {"30 cm", "40 cm"}, "UN", 19.90, 6.00},
      {5, 3, "Rodo de Alumínio", {"40 cm", "60 cm"}, "UN", 17.90, 7.00},
      {5, 3, "Luva de Látex", {"P", "M", "G"}, "UN", 6.50, 0},
      {6, 1, "Papel Higiênico Folha Dupla", {"4 rolos", "12 rolos", "16 rolos"}, "PCT", 8.90, 12.00},
      {6, 1, "Papel Toalha", {"2 rolos"}, "PCT", 6.90, 0},
      {6, 1, "Guardanapo de Papel", {"50 folhas"}, "PCT", 3.49, 0},
      {6, 2, "Sabonete em Barra", {"90 g"}, "UN", 2.29, 0},
      {6, 2, "Sabonete Líquido", {"250 ml", "5 L"}, "UN", 8.90, 39.00},
      {6, 2, "Creme Dental", {"90 g"}, "UN", 4.99, 0},
      {6, 2, "Escova Dental Macia", {}, "UN", 6.90, 0},
      {6, 2, "Xampu", {"350 ml"}, "UN", 15.90, 0},
      {6, 2, "Desodorante Aerossol", {"150 ml"}, "UN", 14.90, 0},
      {6, 2, "Fralda Descartável", {"P", "M", "G", "XG"}, "PCT", 39.90, 4.00},
      {6, 2, "Álcool em Gel 70%", {"500 g"}, "UN", 9.90, 0},
      {1, 1, "Porca Sextavada Zincada", {"1/4\"", "5/16\"", "3/8\""}, "UN", 0.25, 0.10},
      {1, 1, "Arruela Lisa Zincada", {"1/4\"", "3/8\""}, "UN", 0.10, 0.05},
      {1, 3, "Jogo de Chaves Combinadas", {"6 peças", "12 peças"}, "UN", 59.90, 60.00},
      {1, 3, "Nível de Alumínio", {"30 cm", "60 cm"}, "UN", 24.90, 15.00},
      {1, 3, "Broca para Concreto", {"6 mm", "8 mm", "10 mm"}, "UN", 6.90, 2.50},
      {1, 4, "Corrente Galvanizada", {"3 mm", "5 mm"}, "M", 8.90, 5.00},
      {2, 2, "Refletor LED", {"30 W", "50 W", "100 W"}, "UN", 39.90, 30.00},
      {2, 3, "Extensão Elétrica", {"3 m", "5 m"}, "UN", 24.90, 10.00},
      {2, 3, "Plugue Macho 2P+T", {}, "UN", 5.90, 0},
      {3, 1, "Bloco de Concreto 14 x 19 x 39", {}, "UN", 3.90, 0},
      {3, 1, "Tijolo Cerâmico 8 Furos", {}, "UN", 1.19, 0},
      {3, 3, "Caixa d'Água de Polietileno", {"500 L", "1000 L"}, "UN", 349.00, 200.00},
      {3, 3, "Torneira para Tanque", {"1/2\""}, "UN", 22.90, 0},
      {3, 3, "Fita Veda Rosca", {"18 mm x 10 m", "18 mm x 25 m"}, "UN", 3.90, 3.00},
      {4, 1, "Milho para Pipoca", {"500 g"}, "PCT", 4.49, 0},
      {4, 1, "Sal Refinado", {"1 kg"}, "PCT", 2.49, 0},
      {4, 2, "Molho de Tomate Tradicional", {"340 g"}, "UN", 2.99, 0},
      {4, 2, "Extrato de Tomate", {"190 g"}, "UN", 3.49, 0},
      {4, 3, "Leite em Pó Integral", {"400 g"}, "UN", 21.90, 0},
      {4, 3, "Achocolatado em Pó", {"400 g", "800 g"}, "UN", 8.90, 7.50},
      {4, 4, "Banana Prata", {}, "KG", 5.99, 0},
      {4, 4, "Tomate Italiano", {}, "KG", 7.49, 0},
      {4, 4, "Batata Inglesa", {}, "KG", 4.99, 0},
      {4, 4, "Cebola", {}, "KG", 4.49, 0},
      {5, 1, "Lustra Móveis", {"200 ml"}, "UN", 7.90, 0},
      {5, 1, "Limpa Vidros", {"500 ml"}, "UN", 8.49, 0},
      {5, 2, "Alvejante sem Cloro", {"1 L"}, "LT", 9.90, 0},
      {6, 2, "Condicionador", {"350 ml"}, "UN", 16.90, 0},
      {6, 2, "Absorvente com Abas", {"8 unidades"}, "PCT", 5.90, 0},
      {6, 2, "Cotonete", {"75 unidades"}, "CX", 4.50, 0},
  };
  return v;
}

const std::vector<JustificationEntry>& justifications() {
  static const std::vector<JustificationEntry> v = {
      {"0001", "Lançamento indevido"},
      {"0002", "Cliente desistiu da compra"},
      {"0003", "Erro de digitação"},
      {"0004", "Mercadoria entregue sem baixa no sistema"},
      {"0005", "Acordo comercial com o cliente"},
      {"0006", "Produto avariado no estoque"},
      {"0007", "Pedido duplicado"},
  };
  return v;
}

}  // namespace ped::server::demo::names
