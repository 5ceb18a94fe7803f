// Display logic without widgets goes here.
