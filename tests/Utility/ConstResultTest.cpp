#include <gtest/gtest.h>

#include <map>
#include <string>

#include "Utility/ConstResult.hpp"

using namespace ekyc;

TEST(ConstResult, HoldsExactlyTheKnownCodesWithTheirTexts) {
  const std::map<int, std::string> expected{
      {11001, "使用している端末は NFC の機能がありません。"},
      {12002, "PIN が設定されていません。"},
      {12003, "tbsData が設定されていません。"},
      {12005, "サポートしないハッシュアルゴリズムが設定されています。"},
      {12006, "Base64 のデコードに失敗しました。"},
      {12007, "入力された PIN の桁数に誤りがあります。"},
      {12008, "入力された PIN の文字種に誤りがあります。"},
      {12012, "serviceId が設定されていません。"},
      {12013, "serviceProviderId が設定されていません。"},
      {12101, "PIN 入力ダイアログがキャンセルされました。"},
      {13200, "ロックされました。"},
      {13300, "残り"},
      {13301, "回でロックされます。"},
      {13400, "既にロックされています。"},
      {13500, "カードとの通信が切断されました。"},
      {13600, "カードとの通信がタイムアウトしました。"},
      {13700, "カードとの通信をユーザがキャンセルしました。"},
      {13800, "入力された PIN が一致しませんでした。"},
      {13999, "カードの読み込みに失敗しました。"},
      {14001, "appId が設定されていません。"},
      {15000, "通信処理でエラーになりました。HTTP ステータスコード "},
      {16001, "HTTPS 通信中にタイムアウトが発生しました。"},
      {16999, "HTTPS 通信に失敗しました。"},
      {17000, "基本4情報の取得に失敗しました。 : "},
      {17001, "氏名"},
      {17002, "性別"},
      {17004, "生年月日"},
      {17008, "住所"},
      {17016, "氏名の代替文字使用位置"},
      {17032, "住所の代替文字使用位置"},
      {18001, "電子署名の検証に失敗しました。"},
      {18002, "電子署名（チェックコード及び公開鍵証明書）が固定値のカードです。"},
      {99999, "予期しないエラーが発生しました。"},
  };
  const ConstResult result;
  EXPECT_EQ(result.constResult, expected);
  for (const auto& [code, text] : expected) EXPECT_EQ(result.text(code), text) << code;
  EXPECT_EQ(result.text(12001), "");  // an unknown code
}
