// export logic without widgets goes here.
